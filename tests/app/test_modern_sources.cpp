// End to end on the loopback site: a page that names its pictures in every present-day way
// gives exactly its pictures, addresses without an extension count when their server
// says they are pictures, and every row carries its picture's size and dimensions.

#include "modern_pages_run.h"

#include <QTest>

class TestModernSources : public QObject {
    Q_OBJECT

private slots:
    void everySourceGivesItsRow()
    {
        TestSite site;
        QVERIFY(site.listen());
        const ModernRun run = runOnModernPages(site, QStringLiteral("net"));
        QCOMPARE(run.status, 0);

        // Address and type of every row; rows that wait for their server's answer come in the
        // order of the answers, so the table is compared in address order.
        QStringList rows = run.rows;
        for (QString& row : rows)
            row = row.section(QLatin1Char('\t'), 1, 2);
        rows.sort();
        const QString at = site.url(QStringLiteral("/modern/"));
        QStringList expected;
        const QList<std::array<const char*, 2>> pictures{
            {"img/og.jpg", "jpg"}, {"img/og-url.jpg", "jpg"}, {"img/og-secure.jpg", "jpg"},
            {"img/twitter.jpg", "jpg"}, {"img/favicon.ico", "ico"}, {"img/touch.png", "png"},
            {"img/touch-pre.png", "png"}, {"img/image-src.jpg", "jpg"}, {"img/hero.jpg", "jpg"},
            {"img/hero-1.jpg", "jpg"}, {"img/hero-2.jpg", "jpg"}, {"img/main.gif", "gif"},
            {"img/main-set.png", "png"}, {"img/deep.gif", "gif"}, {"img/block.gif", "gif"},
            {"img/set-1.png", "png"}, {"img/set-2.png", "png"}, {"img/plain.gif", "gif"},
            {"img/s-1.png", "png"}, {"img/s,2.webp", "webp"}, {"img/dyn", "png"},
            {"img/p.avif", "avif"}, {"img/p.jpg", "jpg"}, {"img/lazy.jpg", "jpg"},
            {"img/lazy-1.jpg", "jpg"}, {"img/lazy-2.jpg", "jpg"}, {"img/original.jpg", "jpg"},
            {"img/lazy-plain.jpg", "jpg"}, {"img/lazy-src.jpg", "jpg"}, {"img/bg.jpg", "jpg"},
            {"img/background.jpg", "jpg"}, {"img/background-image.jpg", "jpg"},
            {"img/settings.png", "png"}, {"img/probed", "jpeg"}, {"img/poster.jpg", "jpg"},
            {"img/drawing.svg", "svg"}, {"img/svg-href.png", "png"}, {"img/svg-xlink.png", "png"},
            {"img/full.jpeg", "jpeg"}, {"img/thumb.gif", "gif"}, {"pic/7", "png"},
            {"img/photo.jpg", "jpg"}, {"img/viewbox.svg", "svg"},
        };
        for (const auto& [path, type] : pictures)
            expected.append(at + QLatin1String(path) + u'\t' + QLatin1String(type));
        expected.sort();
        QCOMPARE(rows, expected);

        // Asked once each, and never an address whose extension is no picture's; a picture
        // without a type is asked for its type, then measured.
        QCOMPARE(site.hits(QStringLiteral("/modern/img/probed")), 2);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/page-not-picture")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/dyn")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/css/main.css")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/css/parts/deep.css")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/media/movie")), 0);
        QCOMPARE(site.hits(QStringLiteral("/modern/media/clip.mp4")), 0);
        // Loaded pictures are measured from what the engine holds, others probed once.
        QCOMPARE(site.hits(QStringLiteral("/modern/img/photo.jpg")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/plain.gif")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/full.jpeg")), 1);
    }

    // Every row carries its picture's size, and the width and height that Qt's readers take
    // from the same bytes, wherever they can read them.
    void everyRowIsMeasured()
    {
        TestSite site;
        QVERIFY(site.listen());
        const ModernRun run = runOnModernPages(site, QStringLiteral("net"));
        QCOMPARE(run.status, 0);
        const QString fault = measuringFault(run, site);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_GUILESS_MAIN(TestModernSources)
#include "test_modern_sources.moc"
