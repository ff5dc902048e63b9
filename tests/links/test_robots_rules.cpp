#include "links/robots_rules.h"

#include <QTest>

namespace {

// RFC 9309, section 5.1.
const QByteArray rfcExample = "User-Agent: *\n"
                              "Disallow: *.gif$\n"
                              "Disallow: /example/\n"
                              "Allow: /publications/\n"
                              "\n"
                              "User-Agent: foobot\n"
                              "Disallow:/\n"
                              "Allow:/example/page.html\n"
                              "Allow:/example/allowed.gif\n"
                              "\n"
                              "User-Agent: barbot\n"
                              "User-Agent: bazbot\n"
                              "Disallow: /example/page.html\n"
                              "\n"
                              "User-Agent: quxbot\n";

} // namespace

class TestRobotsRules : public QObject {
    Q_OBJECT

private slots:
    void allows_data()
    {
        QTest::addColumn<QByteArray>("robots");
        QTest::addColumn<QByteArray>("agent");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("allowed");

        // The RFC's example, read by each of its crawlers.
        QTest::newRow("rfc: foobot, allowed page") << rfcExample << QByteArray("foobot") << QByteArray("/example/page.html") << true;
        QTest::newRow("rfc: foobot, the rest") << rfcExample << QByteArray("foobot") << QByteArray("/other") << false;
        QTest::newRow("rfc: bazbot, second agent line") << rfcExample << QByteArray("bazbot") << QByteArray("/example/page.html") << false;
        QTest::newRow("rfc: quxbot, empty group") << rfcExample << QByteArray("quxbot") << QByteArray("/example/x.gif") << true;
        QTest::newRow("rfc: others, *.gif$") << rfcExample << QByteArray("Quorvane") << QByteArray("/a/b.gif") << false;
        QTest::newRow("rfc: others, .gif not at the end") << rfcExample << QByteArray("Quorvane") << QByteArray("/a/b.gif?x") << true;
        QTest::newRow("rfc: others, /publications/") << rfcExample << QByteArray("Quorvane") << QByteArray("/publications/x") << true;

        const QByteArray longest = "User-agent: quorvane\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n";
        QTest::newRow("longest match: disallow") << longest << QByteArray("Quorvane") << QByteArray("/example/page/disallowed.gif") << false;
        QTest::newRow("longest match: allow") << longest << QByteArray("Quorvane") << QByteArray("/example/page/x") << true;
        const QByteArray tie = "User-agent: *\nDisallow: /page\nAllow: /page\n";
        QTest::newRow("a tie goes to Allow") << tie << QByteArray("Quorvane") << QByteArray("/page") << true;

        const QByteArray special = "User-agent: *\nDisallow: /this/path/exactly$\nDisallow: /a/*/c\n";
        QTest::newRow("$ matches the end") << special << QByteArray("Quorvane") << QByteArray("/this/path/exactly") << false;
        QTest::newRow("$ only the end") << special << QByteArray("Quorvane") << QByteArray("/this/path/exactly/more") << true;
        QTest::newRow("* inside") << special << QByteArray("Quorvane") << QByteArray("/a/b/b/c/d") << false;
        QTest::newRow("* needs what follows") << special << QByteArray("Quorvane") << QByteArray("/a/b/d") << true;

        const QByteArray encoded = "User-agent: *\nDisallow: /foo/bar/%62%61%7A\nDisallow: /foo/bar/\xE3\x83\x84\n";
        QTest::newRow("escaped unreserved letters") << encoded << QByteArray("Quorvane") << QByteArray("/foo/bar/baz") << false;
        QTest::newRow("UTF-8 rule, escaped path") << encoded << QByteArray("Quorvane") << QByteArray("/foo/bar/%e3%83%84") << false;

        const QByteArray own = "\xEF\xBB\xBFUser-agent: Googlebot\nDisallow: /\n\nuser-agent: QUORVANE/2.0\nDisallow: /private\n"
                               "\nUser-agent: *\nDisallow: /\n";
        QTest::newRow("BOM, own group by token and version") << own << QByteArray("Quorvane") << QByteArray("/private/x") << false;
        QTest::newRow("own group overrules *") << own << QByteArray("Quorvane") << QByteArray("/public") << true;
        QTest::newRow("rules before any agent belong to none") << QByteArray("Disallow: /\nUser-agent: *\nAllow: /x\n")
                                                                << QByteArray("Quorvane") << QByteArray("/y") << true;
        QTest::newRow("robots.txt itself") << QByteArray("User-agent: *\nDisallow: /\n") << QByteArray("Quorvane")
                                           << QByteArray("/robots.txt") << true;

        QByteArray big = "User-agent: *\nDisallow: /early\n";
        while (big.size() < 600 * 1024)
            big += "# padding padding padding padding padding padding padding padding\n";
        big += "Disallow: /late\n";
        QTest::newRow("600 KiB: the first 500 KiB hold") << big << QByteArray("Quorvane") << QByteArray("/early") << false;
        QTest::newRow("600 KiB: past 500 KiB passed over") << big << QByteArray("Quorvane") << QByteArray("/late") << true;
    }
    void allows()
    {
        QFETCH(QByteArray, robots);
        QFETCH(QByteArray, agent);
        QFETCH(QByteArray, path);
        QFETCH(bool, allowed);
        QCOMPARE(RobotsRules::parse(robots, agent).allows(path), allowed);
    }

    void crawlDelayAndSitemaps()
    {
        const RobotsRules rules = RobotsRules::parse("Sitemap: http://a/s1.xml\nUser-agent: other\nCrawl-delay: 9\n"
                                                     "User-agent: *\nCrawl-delay: 2.5\nDisallow: /x\n"
                                                     "Sitemap: http://a/s2.xml.gz\n");
        QCOMPARE(rules.crawlDelay(), std::optional<double>(2.5));
        QCOMPARE(rules.sitemaps(), QStringList({"http://a/s1.xml", "http://a/s2.xml.gz"}));
    }

    void unreachableRulesAllowNothingButThemselves()
    {
        const RobotsRules none = RobotsRules::disallowingAll();
        QVERIFY(!none.allows("/"));
        QVERIFY(none.allows("/robots.txt"));
        QVERIFY(RobotsRules().allows("/anything"));
    }
};

QTEST_GUILESS_MAIN(TestRobotsRules)
#include "test_robots_rules.moc"
