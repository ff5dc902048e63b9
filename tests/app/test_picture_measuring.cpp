// The rows of the picture table get their size and dimensions while the search runs: from
// what the engine's cache holds, else from the picture probe.

#include "app/picture_measuring.h"
#include "app/search_session.h"
#include "fake_browser.h"
#include "platform/picture_probe.h"
#include "site/picture_bytes.h"

#include <QTest>

namespace {

// Records what it is asked; the test answers.
class FakePictureProbe : public PictureProbe {
public:
    void measure(const QString& address) override { asked.append(address); }
    bool isBusy() const override { return busy; }
    qint64 probesMade() const override { return asked.size(); }
    qint64 bytesRead() const override { return 0; }
    void answer(const QString& address, const PictureMeasure& measure) { emit measured(address, measure); }

    QStringList asked;
    bool busy = false;
};

const QString kAddress = QStringLiteral("http://h/a.png");

PictureRow pictureRow(const QString& address, const QString& figures = QStringLiteral("||"))
{
    PictureRow row;
    row.address = address;
    row.type = QStringLiteral("png");
    const QStringList cells = figures.split(u'|');
    row.size = cells.value(0);
    row.width = cells.value(1);
    row.height = cells.value(2);
    return row;
}

QString figuresOf(const PictureTable& pictures, int row)
{
    return QStringList{pictures.cellText(row, PictureTable::Size), pictures.cellText(row, PictureTable::Width),
                       pictures.cellText(row, PictureTable::Height)}
        .join(u'|');
}

// "2048 30x20": a size, then width x height; either may be left out.
PictureMeasure measureOf(const QString& text)
{
    PictureMeasure measure;
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts)) {
        if (const qsizetype x = part.indexOf(u'x'); x >= 0) {
            measure.width = part.left(x).toInt();
            measure.height = part.mid(x + 1).toInt();
        } else {
            measure.byteSize = part.toLongLong();
        }
    }
    return measure;
}

DocumentPtr pageWithPictures(const QString& url, const QStringList& pictures)
{
    DocumentData data;
    data.url = url;
    data.location = url;
    for (const QString& src : pictures)
        data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), src}});
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

class TestPictureMeasuring : public QObject {
    Q_OBJECT

private slots:
    // The figures a row has when it arrives (size|width|height), and whether it is measured.
    void whichRowsAreMeasured_data()
    {
        QTest::addColumn<QString>("figures");
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("downloadStatus");

        QTest::newRow("none") << "||" << true << true << "";
        QTest::newRow("size without dimensions") << "2.000||" << true << true << "";
        QTest::newRow("all three") << "2.000|30|20" << true << false << "";
        QTest::newRow("none, measuring off") << "||" << false << false << "";
        QTest::newRow("none, its download failed") << "||" << true << false << "下载失败：HTTP 404";
    }
    void whichRowsAreMeasured()
    {
        QFETCH(QString, figures);
        QFETCH(bool, measuring);
        QFETCH(bool, asked);
        QFETCH(QString, downloadStatus);
        PictureTable pictures;
        FakePictureProbe probe;
        PictureMeasuring measurer(pictures);
        measurer.setProbe(&probe);
        measurer.setEnabled(measuring);
        PictureRow row = pictureRow(kAddress, figures);
        row.downloadStatus = downloadStatus;
        pictures.addRow(row);
        QCOMPARE(probe.asked, asked ? QStringList{kAddress} : QStringList());
    }

    // What the probe answers, and the row's figures (size|width|height) after it.
    void answerFillsTheRow_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("figures");

        QTest::newRow("size and dimensions") << "2048 30x20" << "2.000|30|20";
        QTest::newRow("size only") << "2048" << "2.000||";
        QTest::newRow("0 x 0") << "2048 0x0" << "2.000||";
        QTest::newRow("width without height") << "30x0" << "||";
    }
    void answerFillsTheRow()
    {
        QFETCH(QString, answer);
        QFETCH(QString, figures);
        PictureTable pictures;
        FakePictureProbe probe;
        PictureMeasuring measurer(pictures);
        measurer.setProbe(&probe);
        pictures.addRow(pictureRow(QStringLiteral("http://h/first.png")));
        pictures.addRow(pictureRow(kAddress));
        probe.answer(kAddress, measureOf(answer));
        QCOMPARE(figuresOf(pictures, 1), figures);
        QCOMPARE(figuresOf(pictures, 0), QStringLiteral("||"));
    }

    // The download read the file itself: a later answer of the probe changes nothing.
    void downloadedRowKeepsItsFigures()
    {
        PictureTable pictures;
        FakePictureProbe probe;
        PictureMeasuring measurer(pictures);
        measurer.setProbe(&probe);
        pictures.addRow(pictureRow(kAddress));
        pictures.setCell(0, PictureTable::Width, QStringLiteral("31"));
        pictures.setCell(0, PictureTable::Height, QStringLiteral("21"));
        pictures.setCell(0, PictureTable::DownloadStatus, QStringLiteral("下载完成"));
        probe.answer(kAddress, measureOf(QStringLiteral("2048 30x20")));
        QCOMPARE(figuresOf(pictures, 0), QStringLiteral("|31|21"));
    }

    // A search resumed from its store has its rows before the probe is set.
    void rowsAlreadyThereAreMeasured()
    {
        PictureTable pictures;
        pictures.addRow(pictureRow(QStringLiteral("http://h/whole.png"), QStringLiteral("2.000|30|20")));
        pictures.addRow(pictureRow(kAddress));
        FakePictureProbe probe;
        PictureMeasuring measurer(pictures);
        measurer.setProbe(&probe);
        QCOMPARE(probe.asked, QStringList{kAddress});
    }

    // On a page read by the session: a picture the cache holds is measured from its bytes, the
    // others by the probe; the search is not over while the probe works.
    void sessionMeasuresFromTheCacheThenTheProbe_data()
    {
        QTest::addColumn<bool>("measuring");
        QTest::newRow("measuring") << true;
        QTest::newRow("measuring off") << false;
    }
    void sessionMeasuresFromTheCacheThenTheProbe()
    {
        QFETCH(bool, measuring);
        FakeClock clock;
        FakeBrowser browser;
        UrlCache cache;
        const QString held = QStringLiteral("http://h/held.png");
        cache.store(held, pngPicture(30, 20, 2048));
        SearchPace pace;
        pace.intervalMs = 0;
        SearchSession session({&browser}, clock, &cache, pace);
        FakePictureProbe probe;
        session.setPictureProbe(&probe);
        session.setMeasuring(measuring);
        session.startSearch(QStringLiteral("http://h/"));
        QTRY_COMPARE_WITH_TIMEOUT(browser.location, QStringLiteral("http://h/"), 5000);
        probe.busy = true;
        browser.complete(pageWithPictures(QStringLiteral("http://h/"), {held, kAddress}));
        clock.time += 20; // past the slot's hold
        QTRY_COMPARE_WITH_TIMEOUT(session.pictureTable().size(), 2, 5000);
        QCOMPARE(figuresOf(session.pictureTable(), 0), measuring ? QStringLiteral("2.000|30|20") : QStringLiteral("||"));
        QCOMPARE(probe.asked, measuring ? QStringList{kAddress} : QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(session.isIdle(), !measuring, 5000);
        probe.busy = false;
        QTRY_VERIFY_WITH_TIMEOUT(session.isIdle(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestPictureMeasuring)
#include "test_picture_measuring.moc"
