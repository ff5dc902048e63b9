#include "app/search_session.h"
#include "app/site_rules.h"
#include "fake_browser.h"
#include "lists/page_table.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Site files answered by the test.
class FakeSiteFiles : public SiteFiles {
public:
    void fetch(const QString& address, qint64) override { asked.append(address); }
    void answer(const QString& address, int status, const QByteArray& body = {}, bool responded = true, bool cut = false)
    {
        emit fetched(address, SiteFile{responded, status, body, cut});
    }
    QStringList asked;
};

// A sitemap of this kind ("urlset" or "sitemapindex") listing the addresses.
QByteArray sitemap(const QByteArray& kind, const QStringList& addresses)
{
    const QByteArray entry = kind == "urlset" ? "url" : "sitemap";
    QByteArray xml = "<" + kind + " xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    for (const QString& address : addresses)
        xml += "<" + entry + "><loc>" + address.toUtf8() + "</loc></" + entry + ">";
    return xml + "</" + kind + ">";
}

const QString robotsA = QStringLiteral("http://a.test:80/robots.txt");
const QString robotsB = QStringLiteral("http://b.test:80/robots.txt");

} // namespace

class TestSiteRules : public QObject {
    Q_OBJECT

private:
    FakeClock clock;
    std::unique_ptr<PageTable> table;
    std::unique_ptr<SiteList> sites;
    CrawlLimits limits;
    FakeSiteFiles files;
    std::unique_ptr<SiteRules> rules;

    QStringList addresses() const
    {
        QStringList all;
        for (int position = 1; position <= table->size(); ++position)
            all.append(table->row(position).address);
        return all;
    }

private slots:
    void init()
    {
        sites = std::make_unique<SiteList>();
        sites->addStartSite(QStringLiteral("http://a.test/"));
        sites->addStartSite(QStringLiteral("http://b.test/"));
        files.asked.clear();
        table = std::make_unique<PageTable>();
        rules = std::make_unique<SiteRules>(clock, *table, *sites, limits);
        rules->setFiles(&files);
    }
    void cleanup()
    {
        rules.reset();
        table.reset();
    }

    void linksWaitForRobotsThenPassItsGate_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("responded");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QStringList>("queued");
        QTest::addColumn<int>("leftOut");
        QTest::addColumn<int>("notices");
        const QString open = QStringLiteral("http://a.test/open.htm");
        const QString secret = QStringLiteral("http://a.test/private/x.htm");
        QTest::newRow("rules from 200") << 200 << true << false << QStringList{open} << 1 << 0;
        QTest::newRow("404 allows all") << 404 << true << false << QStringList{open, secret} << 0 << 0;
        QTest::newRow("503 allows nothing") << 503 << true << false << QStringList{} << 2 << 1;
        QTest::newRow("no answer allows nothing") << 0 << false << false << QStringList{} << 2 << 1;
        QTest::newRow("200 cut short allows nothing") << 200 << true << true << QStringList{} << 2 << 1;
    }
    void linksWaitForRobotsThenPassItsGate()
    {
        QFETCH(int, status);
        QFETCH(bool, responded);
        QFETCH(bool, cut);
        QFETCH(QStringList, queued);
        QFETCH(int, leftOut);
        QFETCH(int, notices);
        QSignalSpy notice(rules.get(), &SiteRules::notice);
        const QStringList links{"http://a.test/open.htm", "http://a.test/private/x.htm#top",
                                "http://a.test/private/x.htm", "http://elsewhere.test/"};
        rules->harvest(links, 1);
        rules->harvest(links, 2); // asked once, however many links wait
        QCOMPARE(files.asked, QStringList{robotsA});
        QCOMPARE(table->size(), 0);
        QVERIFY(!rules->isIdle());

        files.answer(robotsA, status, "User-agent: *\nDisallow: /private/\n", responded, cut);
        QVERIFY(rules->isIdle());
        QCOMPARE(addresses(), queued);
        QCOMPARE(rules->disallowedCount(), leftOut);
        QCOMPARE(notice.size(), notices);
        // Known now: no second fetch, no second notice, and pages it has, however written,
        // are not added again.
        rules->harvest(links + QStringList{QStringLiteral(" http://a.test/open.htm#again ")}, 1);
        QCOMPARE(files.asked.size(), 1);
        QCOMPARE(notice.size(), notices);
        QCOMPARE(addresses(), queued);
        QCOMPARE(rules->disallowedCount(), leftOut);
    }

    void searchSpacesThePagesOfADelayedSite_data()
    {
        QTest::addColumn<QByteArray>("delayLine");
        QTest::addColumn<double>("spacing");
        QTest::newRow("5 s") << QByteArray("Crawl-delay: 5") << 5.0;
        QTest::newRow("past the cap") << QByteArray("Crawl-delay: 3600") << SiteRules::kMaxCrawlDelay;
    }
    void searchSpacesThePagesOfADelayedSite()
    {
        QFETCH(QByteArray, delayLine);
        QFETCH(double, spacing);
        std::vector<std::unique_ptr<FakeBrowser>> owned(5);
        QList<Browser*> browsers;
        for (auto& browser : owned)
            browsers.append((browser = std::make_unique<FakeBrowser>()).get());
        SearchPace pace;
        pace.intervalMs = 100'000'000; // ticked by hand
        SearchSession session(browsers, clock, nullptr, pace);
        session.siteRules().setFiles(&files, {true, false});
        session.startSearch(QStringLiteral("http://a.test/\r\nhttp://b.test/"));
        QVERIFY(!session.isIdle());
        files.answer(robotsA, 200, "User-agent: *\n" + delayLine + "\n");
        files.answer(robotsB, 404);
        session.siteRules().harvest({"http://a.test/1.htm", "http://a.test/2.htm", "http://b.test/1.htm"}, 1);
        // At each tick the first row whose site is open goes: b.test's page goes while a.test waits.
        QStringList loaded;
        for (const double after : {0.0, 0.0, 0.0, spacing - 0.1, spacing, 2 * spacing - 0.1, 2 * spacing}) {
            clock.time = 1000 + after;
            session.timer3Tick();
            int pages = 0;
            for (auto& browser : owned)
                pages += int(browser->navigations.size() - browser->navigations.count(QStringLiteral("about:blank")));
            loaded.append(QString::number(pages));
        }
        QCOMPARE(loaded, (QStringList{"1", "2", "3", "3", "4", "4", "5"}));
    }

    void harvestedRowOfUnknownSiteWaitsForItsRules()
    {
        // As a resumed search has them: rows queued before this run read any robots.txt.
        table->addRow(QStringLiteral("1"), QStringLiteral("http://a.test/old.htm"), 1);
        table->addRow(QStringLiteral("[添加]"), QStringLiteral("http://b.test/"), 0);
        QCOMPARE(rules->nextRow(), 2); // a start address never waits
        QCOMPARE(files.asked, QStringList{robotsA});
        files.answer(robotsA, 404);
        QCOMPARE(rules->nextRow(), 1);
    }

    void sitemapsOfStartSites()
    {
        table->addRow(QStringLiteral("[添加]"), QStringLiteral("http://a.test/"), 0);
        rules->searchStarted();
        QCOMPARE(files.asked, QStringList{robotsA});
        files.answer(robotsA, 200, "Sitemap: http://a.test/index.xml\n");
        QCOMPARE(files.asked.last(), QStringLiteral("http://a.test/index.xml"));

        QStringList listed;
        for (int i = 0; i < SiteRules::kMaxSitemapFiles + 5; ++i)
            listed.append(QStringLiteral("http://a.test/map%1.xml").arg(i));
        files.answer(QStringLiteral("http://a.test/index.xml"), 200, sitemap("sitemapindex", listed));
        // The index counts among the files read for the site.
        QCOMPARE(files.asked.size(), 1 + SiteRules::kMaxSitemapFiles);

        // One level of nesting only.
        files.answer(listed.at(0), 200, sitemap("sitemapindex", {"http://a.test/deeper.xml"}));
        QVERIFY(!files.asked.contains(QStringLiteral("http://a.test/deeper.xml")));
        files.answer(listed.at(1), 200, sitemap("urlset", {"http://a.test/only-here.htm", "http://other.test/x.htm"}));
        QCOMPARE(addresses(), (QStringList{"http://a.test/", "http://a.test/only-here.htm"}));
        QCOMPARE(table->row(2).depth, 1);
    }
};

QTEST_GUILESS_MAIN(TestSiteRules)
#include "test_site_rules.moc"
