// End to end on the loopback site: the pages read on worker threads fill the picture and
// page tables exactly as the pages read on the search's own thread, row for row.

#include "app/browser_events.h"
#include "bounded_headless_run.h"
#include "site/test_site.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Tables {
    int status = -1;
    QString pictures;
    QString pages;
    QString err;
};

Tables crawl(const QStringList& arguments)
{
    QTemporaryDir dir;
    const QString pagesFile = dir.filePath(QStringLiteral("pages.tsv"));
    Tables tables;
    tables.status = runHeadlessBounded(QStringList{"--interval", "10", "--hold", "0", "--timeout", "10", "--titles",
                                                   "--sources", "--pages", pagesFile}
                                           + arguments,
                                       tables.pictures, tables.err);
    QFile file(pagesFile);
    if (file.open(QIODevice::ReadOnly))
        tables.pages = QString::fromUtf8(file.readAll());
    return tables;
}

QByteArray page(const QString& title, const QString& body)
{
    return QStringLiteral("<html><head><title>%1</title>"
                          "<link rel=\"stylesheet\" href=\"css/common.css\"></head><body>%2</body></html>")
        .arg(title, body)
        .toUtf8();
}

} // namespace

class TestWorkersEndToEnd : public QObject {
    Q_OBJECT

    TestSite site;

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        // Pages that share a sheet, which imports another; frames; a script link; a style
        // block's import; pictures given twice.
        QString index = QStringLiteral("<img src=\"img/a.gif\"><a href=\"frames.htm\">frames</a>"
                                       "<script>function show(id){window.open('img/'+id)}</script>"
                                       "<table><tr><td background=\"javascript:show('s.gif')\">x</td></tr></table>");
        for (int n = 1; n <= 6; ++n)
            index += QStringLiteral("<a href=\"p%1.htm\">%1</a>").arg(n);
        site.setRoute(QStringLiteral("/w/index.htm"), htmlRoute(page(QStringLiteral("Index"), index)));
        for (int n = 1; n <= 6; ++n) {
            site.setRoute(QStringLiteral("/w/p%1.htm").arg(n), htmlRoute(page(QStringLiteral("Page %1").arg(n), QStringLiteral(
                "<style>@import url(css/block.css);</style><img src=\"img/p%1.gif\"><img src=\"img/a.gif\">"
                "<a href=\"p%2.htm\">next</a><a href=\"index.htm\">home</a>").arg(n).arg(n % 6 + 1))));
        }
        site.setRoute(QStringLiteral("/w/frames.htm"), htmlRoute(
            "<html><head><title>Frames</title></head><frameset><frame src=\"f1.htm\"><frame src=\"f2.htm\"></frameset></html>"));
        for (int n = 1; n <= 2; ++n) {
            site.setRoute(QStringLiteral("/w/f%1.htm").arg(n), htmlRoute(page(QStringLiteral("Frame %1").arg(n), QStringLiteral(
                "<img src=\"img/f%1.gif\"><a href=\"p%1.htm\">p</a>").arg(n))));
        }
        // More picture candidates and links than one turn of the event loop takes in: the
        // page goes into the tables in slices, and its last link still makes a row.
        QString many;
        for (int n = 0; n < 3 * kReadingPerTurn; ++n)
            many += QStringLiteral("<a href=\"big/%1.jpg\">%1</a><a href=\"p%2.htm\">p</a>").arg(n).arg(n % 6 + 1);
        site.setRoute(QStringLiteral("/w/many.htm"), htmlRoute(page(QStringLiteral("Many"), many + QStringLiteral("<a href=\"frames.htm\">f</a>"))));
        site.setRoute(QStringLiteral("/w/css/common.css"), htmlRoute(
            "@import 'deep.css'; body{background:url(../img/bg.gif)} i{b:image-set(\"../img/set.png\" 1x)}", 200, "text/css"));
        site.setRoute(QStringLiteral("/w/css/deep.css"), htmlRoute("p{background:url(../img/deep.gif)}", 200, "text/css"));
        site.setRoute(QStringLiteral("/w/css/block.css"), htmlRoute("p{background:url(../img/block.gif)}", 200, "text/css"));
        for (const char* name : {"a", "p1", "p2", "f1", "bg", "deep"})
            site.setRoute(QStringLiteral("/w/img/%1.gif").arg(QLatin1String(name)), htmlRoute(QByteArray(100 + qstrlen(name), 'x'), 200, "image/gif"));
    }

    void tablesAlike_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("pictures"); // at least, so that two empty tables do not pass
        QTest::newRow("shared sheets and frames") << QStringList{site.url(QStringLiteral("/w/index.htm"))} << 12;
        QTest::newRow("the site's pages, one step deep")
            << QStringList{"--max-depth", "1", site.url(QStringLiteral("/links.htm"))} << 10;
        QTest::newRow("a page of many pictures and links")
            << QStringList{"--max-depth", "1", site.url(QStringLiteral("/w/many.htm"))} << 3 * kReadingPerTurn;
    }
    void tablesAlike()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, pictures);
        // One slot, so the pages complete in the same order in both runs.
        const Tables alone = crawl(QStringList{"--slots", "1", "--workers", "0"} + arguments);
        const Tables pooled = crawl(QStringList{"--slots", "1", "--workers", "4"} + arguments);
        QCOMPARE(alone.status, 0);
        QCOMPARE(pooled.status, 0);
        QVERIFY2(alone.pictures.count(u'\n') > pictures, qPrintable(alone.pictures));
        QCOMPARE(pooled.pictures, alone.pictures);
        QCOMPARE(pooled.pages, alone.pages);
    }
};

QTEST_GUILESS_MAIN(TestWorkersEndToEnd)
#include "test_workers_end_to_end.moc"
