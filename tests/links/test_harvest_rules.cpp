#include "links/harvest_rules.h"

#include <QTest>

#include <optional>

class TestHarvestRules : public QObject {
    Q_OBJECT
private slots:
    void extension_data();
    void extension();
    void harvest_data();
    void harvest();
    void limits_data();
    void limits();
    void queryTraps_data();
    void queryTraps();
    void queryPathsBounded();
};

void TestHarvestRules::extension_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page") << "http://h/x.htm" << "htm";
    QTest::newRow("query") << "http://h/page.asp?id=1" << "";
    QTest::newRow("short query") << "http://h/p.as?i=1" << "as?i=1";
    QTest::newRow("type in query") << "http://a.h.com/p.asp?id=1.jpg" << "jpg";
    QTest::newRow("fragment") << "http://h/x.htm#a.b" << "htm";
    QTest::newRow("directory") << "http://h/dir/" << "";
    QTest::newRow("backslash") << "http://h/a.b\\c" << "";
    QTest::newRow("host only") << "http://h.com" << "com";
    QTest::newRow("spaces") << "http://h/x. zip " << "zip";
    QTest::newRow("six letters") << "x.abcdef" << "abcdef";
    QTest::newRow("seven letters") << "x.abcdefg" << "";
    QTest::newRow("ends in dot") << "x." << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("punctuation") << "#./\\#." << "";
}

void TestHarvestRules::extension()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(getLinkExtension(address), expected);
}

void TestHarvestRules::harvest_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("expected"); // "-" when the link is left out
    QTest::addColumn<QString>("rule");     // the rule that decided

    const QString site = QStringLiteral("http://a.h.com/");
    QTest::newRow("page") << "http://a.h.com/x.htm" << "http://a.h.com/x.htm" << "site scope";
    QTest::newRow("trailing #") << "http://a.h.com/x.htm#" << "http://a.h.com/x.htm" << "site scope";
    QTest::newRow("two #") << "http://a.h.com/x.htm##" << "http://a.h.com/x.htm" << "site scope";
    QTest::newRow("fragment removed") << "http://a.h.com/x.htm#s" << "http://a.h.com/x.htm" << "site scope";
    QTest::newRow("spaces trimmed") << "  http://a.h.com/x.htm # " << "http://a.h.com/x.htm " << "site scope";
    QTest::newRow("letter case kept") << "HTTP://A.H.COM/X.HTM" << "HTTP://A.H.COM/X.HTM" << "site scope";
    QTest::newRow("https") << "https://a.h.com/x.htm" << "https://a.h.com/x.htm" << "site scope";
    QTest::newRow("excluded type") << "http://a.h.com/f.zip" << "-" << "excluded type";
    QTest::newRow("excluded type, capitals") << "http://a.h.com/f.PDF" << "-" << "excluded type";
    QTest::newRow("piece of an excluded type") << "http://a.h.com/login.do" << "http://a.h.com/login.do" << "site scope";
    QTest::newRow("one letter type") << "http://a.h.com/x.p" << "http://a.h.com/x.p" << "site scope";
    QTest::newRow("type in query") << "http://a.h.com/p.asp?id=1.jpg" << "-" << "excluded type";
    QTest::newRow("long query") << "http://a.h.com/p.asp?id=1" << "http://a.h.com/p.asp?id=1" << "site scope";
    QTest::newRow("directory") << "http://a.h.com/dir/" << "http://a.h.com/dir/" << "site scope";
    QTest::newRow("png") << "http://a.h.com/big.png" << "-" << "picture";
    QTest::newRow("JPEG") << "http://a.h.com/big.JPEG" << "-" << "picture";
    QTest::newRow("bmp behind a fragment") << "http://a.h.com/b.bmp#x" << "-" << "picture";
    QTest::newRow("picture name in a query") << "http://a.h.com/show.asp?f=a.png" << "http://a.h.com/show.asp?f=a.png" << "site scope";
    QTest::newRow("picture folder") << "http://a.h.com/png/" << "http://a.h.com/png/" << "site scope";
    QTest::newRow("other site") << "http://b.com/x.htm" << "-" << "site scope";
    QTest::newRow("piece of the site") << "http://a.h.co/x.htm" << "-" << "site scope";
    QTest::newRow("script") << "javascript:open1(3)" << "-" << "not a web address";
    QTest::newRow("mailto") << "mailto:a@h.com" << "-" << "not a web address";
    QTest::newRow("ftp") << "ftp://a.h.com/x" << "-" << "not a web address";
    QTest::newRow("scheme only") << "http://" << "-" << "site scope";
    QTest::newRow("empty") << "" << "-" << "not a web address";
    QTest::newRow("only #") << "#" << "-" << "not a web address";
    QTest::newRow("tab before") << "\thttp://a.h.com/" << "-" << "not a web address";

    // Crawl traps.
    const QString longest = site + QString(2048 - site.size(), u'x');
    QTest::newRow("2048 characters") << longest << longest << "site scope";
    QTest::newRow("2049 characters") << longest + u'x' << "-" << "address too long";
    auto segments = [&](int count) {
        QString path;
        for (int i = 1; i < count; ++i)
            path += QString::number(i) + u'/';
        return site + path + QStringLiteral("p.htm");
    };
    QTest::newRow("20 path segments") << segments(20) << segments(20) << "site scope";
    QTest::newRow("21 path segments") << segments(21) << "-" << "too many path segments";
    QTest::newRow("slashes in the query") << site + QStringLiteral("p?u=") + QStringLiteral("/").repeated(30)
                                          << site + QStringLiteral("p?u=") + QStringLiteral("/").repeated(30) << "site scope";
    QTest::newRow("segment thrice") << "http://a.h.com/a/a/a/" << "http://a.h.com/a/a/a/" << "site scope";
    QTest::newRow("segment four times") << "http://a.h.com/a/a/a/a/" << "-" << "repeated path segment";
    QTest::newRow("repeat in the middle") << "http://a.h.com/x/b/b/b/b/y.htm" << "-" << "repeated path segment";
    QTest::newRow("repeats apart") << "http://a.h.com/a/a/a/b/a/a/a/" << "http://a.h.com/a/a/a/b/a/a/a/" << "site scope";
    QTest::newRow("repeat in other case") << "http://a.h.com/a/A/a/a/" << "http://a.h.com/a/A/a/a/" << "site scope";
    QTest::newRow("empty segments") << "http://a.h.com/a////a" << "http://a.h.com/a////a" << "site scope";
}

void TestHarvestRules::harvest()
{
    QFETCH(QString, link);
    QFETCH(QString, expected);
    QFETCH(QString, rule);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://www.h.com/"));
    const HarvestDecision decision = decideHarvest(link, 1, 1, sites);
    QCOMPARE(decision.address.value_or(QStringLiteral("-")), expected);
    QCOMPARE(decision.rule, rule);
}

void TestHarvestRules::limits_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<int>("maxPages"); // -1: none
    QTest::addColumn<int>("maxDepth"); // -1: none
    QTest::addColumn<QString>("rule");

    QTest::newRow("no limits") << 1000 << 1000000 << -1 << -1 << "site scope";
    QTest::newRow("below the page limit") << 1 << 9 << 10 << -1 << "site scope";
    QTest::newRow("at the page limit") << 1 << 10 << 10 << -1 << "page limit";
    QTest::newRow("at the depth limit") << 3 << 0 << -1 << 3 << "site scope";
    QTest::newRow("past the depth limit") << 4 << 0 << -1 << 3 << "too deep";
    QTest::newRow("depth 0 takes no links") << 1 << 0 << -1 << 0 << "too deep";
    QTest::newRow("both") << 5 << 10 << 10 << 3 << "page limit";
}

void TestHarvestRules::limits()
{
    QFETCH(int, depth);
    QFETCH(int, pageCount);
    QFETCH(int, maxPages);
    QFETCH(int, maxDepth);
    QFETCH(QString, rule);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://h.com/"));
    CrawlLimits limits;
    if (maxPages >= 0)
        limits.maxPages = maxPages;
    if (maxDepth >= 0)
        limits.maxDepth = maxDepth;
    const HarvestDecision decision = decideHarvest(QStringLiteral("http://h.com/p.htm"), depth, pageCount, sites, limits);
    QCOMPARE(decision.rule, rule);
    QCOMPARE(decision.address.has_value(), rule == QLatin1String("site scope"));
}

void TestHarvestRules::queryTraps_data()
{
    QTest::addColumn<int>("known");   // pages "http://h.com/page?n=1" ... remembered at depth 1
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("rule");

    const int chainEnd = 1 + QueryPages::kMaxChain;
    const QString next = QStringLiteral("http://h.com/page?n=next");
    QTest::newRow("chain at its bound") << 1 << next << chainEnd << "site scope";
    QTest::newRow("chain past its bound") << 1 << next << chainEnd + 1 << "query chain";
    QTest::newRow("host in capitals, same path") << 1 << "HTTP://H.COM/page?n=next" << chainEnd + 1 << "query chain";
    QTest::newRow("path in capitals, another path") << 1 << "http://h.com/Page?n=next" << chainEnd + 1 << "site scope";
    QTest::newRow("the path without a query") << 1 << "http://h.com/page" << chainEnd + 1 << "site scope";
    QTest::newRow("queries below the bound") << QueryPages::kMaxPerPath - 1 << next << 2 << "site scope";
    QTest::newRow("queries at the bound") << QueryPages::kMaxPerPath << next << 2 << "too many queries";
}

void TestHarvestRules::queryTraps()
{
    QFETCH(int, known);
    QFETCH(QString, link);
    QFETCH(int, depth);
    QFETCH(QString, rule);
    QueryPages queryPages;
    for (int n = 1; n <= known; ++n)
        queryPages.remember(QStringLiteral("http://h.com/page?n=%1").arg(n), 1);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://h.com/"));
    QCOMPARE(decideHarvest(link, depth, known, sites, {}, &queryPages).rule, rule);
}

// Past the paths it remembers, a query page of a new path is not taken; the paths it knows
// and pages without a query still are.
void TestHarvestRules::queryPathsBounded()
{
    QueryPages queryPages;
    for (qsizetype path = 0; path <= QueryPages::kMaxPaths; ++path)
        queryPages.remember(QStringLiteral("http://h.com/p%1?n=1").arg(path), 1);
    SiteList sites;
    sites.addStartSite(QStringLiteral("http://h.com/"));
    const auto rule = [&](const char* link) { return decideHarvest(link, 2, 0, sites, {}, &queryPages).rule; };
    QCOMPARE(rule("http://h.com/p0?n=2"), QStringLiteral("site scope"));
    QCOMPARE(rule("http://h.com/new"), QStringLiteral("site scope"));
    QCOMPARE(rule(qPrintable(QStringLiteral("http://h.com/p%1?n=2").arg(QueryPages::kMaxPaths))), QStringLiteral("too many queries"));
}

QTEST_GUILESS_MAIN(TestHarvestRules)
#include "test_harvest_rules.moc"
