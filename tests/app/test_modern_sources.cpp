// End to end on the loopback site: a page that names its pictures in every present-day way
// gives exactly its pictures, and addresses without an extension count when their server
// says they are pictures.

#include "app/headless/run_headless.h"
#include "site/test_site.h"

#include <QTest>
#include <QTextStream>
#include <QTimer>

class TestModernSources : public QObject {
    Q_OBJECT

private slots:
    void everySourceGivesItsRow()
    {
        TestSite site;
        QVERIFY(site.listen());
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
        bound.start(60'000);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const QString start = site.url(QStringLiteral("/modern/index.htm"));
        const int status = runHeadless({"quorvane", "--headless", "--interval", "10", "--hold", "0",
                                        "--timeout", "10", start},
                                       outStream, errStream);
        bound.stop();
        QCOMPARE(status, 0);

        // Address, type and size of every row; rows that wait for their server's answer come
        // in the order of the answers, so the table is compared in address order.
        QStringList rows = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
        for (QString& row : rows)
            row = row.section(QLatin1Char('\t'), 1, 3);
        rows.sort();
        const QString at = site.url(QStringLiteral("/modern/"));
        QStringList expected;
        const QList<std::array<const char*, 3>> pictures{
            {"img/og.jpg", "jpg", ""}, {"img/og-url.jpg", "jpg", ""}, {"img/og-secure.jpg", "jpg", ""},
            {"img/twitter.jpg", "jpg", ""}, {"img/favicon.ico", "ico", ""}, {"img/touch.png", "png", ""},
            {"img/touch-pre.png", "png", ""}, {"img/image-src.jpg", "jpg", ""}, {"img/hero.jpg", "jpg", ""},
            {"img/hero-1.jpg", "jpg", ""}, {"img/hero-2.jpg", "jpg", ""}, {"img/main.gif", "gif", ""},
            {"img/main-set.png", "png", ""}, {"img/deep.gif", "gif", ""}, {"img/block.gif", "gif", ""},
            {"img/set-1.png", "png", ""}, {"img/set-2.png", "png", ""}, {"img/plain.gif", "gif", "0.012"},
            {"img/s-1.png", "png", ""}, {"img/s,2.webp", "webp", ""}, {"img/dyn", "png", "0.011"},
            {"img/p.avif", "avif", ""}, {"img/p.jpg", "jpg", ""}, {"img/lazy.jpg", "jpg", ""},
            {"img/lazy-1.jpg", "jpg", ""}, {"img/lazy-2.jpg", "jpg", ""}, {"img/original.jpg", "jpg", ""},
            {"img/lazy-plain.jpg", "jpg", ""}, {"img/lazy-src.jpg", "jpg", ""}, {"img/bg.jpg", "jpg", ""},
            {"img/background.jpg", "jpg", ""}, {"img/background-image.jpg", "jpg", ""},
            {"img/settings.png", "png", ""}, {"img/probed", "jpeg", ""}, {"img/poster.jpg", "jpg", ""},
            {"img/drawing.svg", "svg", ""}, {"img/svg-href.png", "png", ""}, {"img/svg-xlink.png", "png", ""},
            {"img/full.jpeg", "jpeg", ""}, {"img/thumb.gif", "gif", "0.012"}, {"pic/7", "png", "0.009"},
        };
        for (const auto& [path, type, size] : pictures)
            expected.append(QStringList{at + QLatin1String(path), QLatin1String(type), QLatin1String(size)}.join(u'\t'));
        expected.sort();
        QCOMPARE(rows, expected);

        // Asked once each, and never an address whose extension is no picture's.
        QCOMPARE(site.hits(QStringLiteral("/modern/img/probed")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/page-not-picture")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/img/dyn")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/css/main.css")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/css/parts/deep.css")), 1);
        QCOMPARE(site.hits(QStringLiteral("/modern/media/movie")), 0);
        QCOMPARE(site.hits(QStringLiteral("/modern/media/clip.mp4")), 0);
    }
};

QTEST_GUILESS_MAIN(TestModernSources)
#include "test_modern_sources.moc"
