#include "bounded_headless_run.h"
#include "site/test_site.h"

#include <QTest>

#include <algorithm>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runBounded(const QStringList& arguments)
{
    Run run;
    // Unmeasured: only the pages' own requests are counted.
    const QStringList pace{"--no-measure", "--interval", "10", "--hold", "0", "--timeout", "5"};
    run.status = runHeadlessBounded(pace + arguments, run.out, run.err);
    return run;
}

TestRoute html(const QString& body)
{
    TestRoute route;
    route.contentType = "text/html; charset=utf-8";
    route.body = body.toUtf8();
    return route;
}

TestRoute png()
{
    TestRoute route;
    route.contentType = "image/png";
    route.body = QByteArray(100, 'x');
    return route;
}

} // namespace

class TestLinksEndToEnd : public QObject {
    Q_OBJECT

private:
    TestSite site;

    // The pages the site was asked for, in order (not the robots.txt and sitemap every search reads).
    QStringList requestedPaths() const
    {
        QStringList paths;
        for (const QString& request : site.requestLog())
            paths.append(request.section(QLatin1Char(' '), 1));
        paths.removeAll(QStringLiteral("/robots.txt"));
        paths.removeAll(QStringLiteral("/sitemap.xml"));
        return paths;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        // Fragments and letter case.
        site.setRoute(QStringLiteral("/f/index.htm"), html(QStringLiteral(
            "<html><body><img src=\"A.png\"><img src=\"a.png\">"
            "<a href=\"p.htm\">p</a><a href=\"p.htm#x\">x</a><a href=\"index.htm#top\">top</a>"
            "<a href=\"big.png\">big</a></body></html>")));
        site.setRoute(QStringLiteral("/f/p.htm"), html(QStringLiteral(
            "<html><body><a href=\"p.htm#y\">y</a><a href=\"index.htm\">home</a></body></html>")));
        site.setRoute(QStringLiteral("/f/A.png"), png());
        site.setRoute(QStringLiteral("/f/a.png"), png());
        site.setRoute(QStringLiteral("/f/big.png"), png());
        // A folder that links a folder of its own name below itself.
        QString folder = QStringLiteral("/t/a/");
        for (int depth = 0; depth < 8; ++depth, folder += QStringLiteral("a/"))
            site.setRoute(folder, html(QStringLiteral("<html><body><a href=\"a/\">deeper</a></body></html>")));
        // A script link whose function's parameter is also a word of the markup behind it.
        site.setRoute(QStringLiteral("/s/index.htm"), html(QStringLiteral(
            "<html><body><script>function show(id){window.open('pics/'+id)}</script>"
            "<table><tr><td background=\"javascript:show('p.gif')\">cell</td></tr></table>"
            "<div id=\"main\"></div></body></html>")));
        // A list whose every page links the next.
        for (int n = 1; n <= 30; ++n)
            site.setRoute(QStringLiteral("/q/list.htm?n=%1").arg(n),
                          html(QStringLiteral("<html><body><a href=\"?n=%1\">next</a></body></html>").arg(n + 1)));
    }

    void crawlEnds_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("requested"); // in any order

        QTest::newRow("fragments are one page; picture links are not pages")
            << "/f/index.htm" << QStringList{}
            << QStringList{"/f/index.htm", "/f/A.png", "/f/a.png", "/f/p.htm"};
        QTest::newRow("path trap") << "/t/a/" << QStringList{} << QStringList{"/t/a/", "/t/a/a/", "/t/a/a/a/"};
        QStringList list;
        for (int n = 1; n <= 31; ++n)
            list.append(QStringLiteral("/q/list.htm?n=%1").arg(n));
        QTest::newRow("query trap, unbounded") << "/q/list.htm?n=1" << QStringList{} << list;
        QTest::newRow("query trap, --max-pages 5") << "/q/list.htm?n=1" << QStringList{"--max-pages", "5"} << list.mid(0, 5);
        QTest::newRow("query trap, --max-depth 3") << "/q/list.htm?n=1" << QStringList{"--max-depth", "3"} << list.mid(0, 4);
        QTest::newRow("--max-depth 0") << "/q/list.htm?n=1" << QStringList{"--max-depth", "0"} << list.mid(0, 1);
        QTest::newRow("--max-pages 1") << "/t/a/" << QStringList{"--max-pages", "1"} << QStringList{"/t/a/"};
    }
    void crawlEnds()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, options);
        QFETCH(QStringList, requested);
        site.clearLog();
        const Run run = runBounded(options + QStringList{site.url(start)});
        QCOMPARE(run.status, 0);
        QStringList paths = requestedPaths();
        std::sort(paths.begin(), paths.end());
        std::sort(requested.begin(), requested.end());
        QCOMPARE(paths, requested);
    }

    void letterCaseGivesTwoPictures()
    {
        const Run run = runBounded({site.url(QStringLiteral("/f/index.htm"))});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList addresses;
        for (const QString& line : lines.mid(1))
            addresses.append(line.section(QLatin1Char('\t'), 1, 1));
        QCOMPARE(addresses.count(site.url(QStringLiteral("/f/A.png"))), 1);
        QCOMPARE(addresses.count(site.url(QStringLiteral("/f/a.png"))), 1);
    }

    void scriptLinkUsesThePageScripts()
    {
        const Run run = runBounded({site.url(QStringLiteral("/s/index.htm"))});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(1).section(QLatin1Char('\t'), 1, 1),
                 site.url(QStringLiteral("/s/pics/p.gif")));
    }

    void badLimits_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no pages") << QStringList{"--max-pages", "0", "http://127.0.0.1/"};
        QTest::newRow("negative depth") << QStringList{"--max-depth", "-1", "http://127.0.0.1/"};
        QTest::newRow("depth not a number") << QStringList{"--max-depth", "deep", "http://127.0.0.1/"};
    }
    void badLimits()
    {
        QFETCH(QStringList, arguments);
        const Run run = runBounded(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.startsWith(QStringLiteral("quorvane: bad value for --") + arguments.first().mid(2)), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestLinksEndToEnd)
#include "test_links_end_to_end.moc"
