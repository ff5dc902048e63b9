#include "app/downloads/picture_downloads.h"
#include "app/search_session.h"
#include "app/window/form1.h"
#include "lists/picture_table.h"
#include "platform/url_cache.h"
#include "site/test_site.h"
#include "text/file_names.h"
#include "window_test_desktop.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray picture(const QSize& size, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TestRoute pictureRoute(const QByteArray& bytes, const QByteArray& type = "image/png")
{
    return TestRoute{200, type, bytes, {}, false};
}

PictureRow pictureRow(const QString& address, const QString& fileName)
{
    PictureRow row;
    row.address = address;
    row.fileName = fileName;
    return row;
}

// Small bounds, so that a hostile picture meets them within the test.
constexpr qint64 smallCap = 64 * 1024;
constexpr int shortIdleMs = 500;
constexpr int shortTotalMs = 2000;

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(TestRoute)

class TestWindowDownloads : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void fillsStatusWidthAndHeight();
    void safeNames_data();
    void safeNames();
    void neverOverwrites();
    void failuresLeaveNoFile_data();
    void failuresLeaveNoFile();
    void hostilePicturesEndAtTheirBounds();
    void rowsFoundAfterSorting();
    void downloadedRowsAreNotFetchedAgain();
    void stopCancelsWaitingAndLoading();
    void noFolderNoDownload();
    void cachedPicturesAreCopied();

private:
    PictureTable& pictures() { return m_form->session().pictureTable(); }
    PictureRow rowOf(const QString& address)
    {
        return pictures().row(pictures().rowOfAddress(address).value_or(0));
    }
    bool downloadAll(int timeoutMs = 10000);

    TestSite* m_site = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_folder;
    TestDesktop::Shared m_answers;
    Form1* m_form = nullptr;
};

void TestWindowDownloads::init()
{
    m_site = new TestSite;
    QVERIFY(m_site->listen());
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    // The pictures go into a folder of their own, so that anything written beside it shows.
    m_folder = m_dir->filePath("pictures");
    QVERIFY(QDir().mkpath(m_folder));
    m_answers = {};
    m_answers.folder = m_folder;
    m_form = new Form1(std::make_unique<TestDesktop>(m_answers));
    // Only the downloads ask the site here, so that its counts tell what they fetched.
    m_form->session().setMeasuring(false);
}

void TestWindowDownloads::cleanup()
{
    delete m_form;
    delete m_dir;
    delete m_site;
    m_form = nullptr;
    m_dir = nullptr;
    m_site = nullptr;
}

bool TestWindowDownloads::downloadAll(int timeoutMs)
{
    QSignalSpy finished(&m_form->downloader(), &PictureDownloads::finished);
    m_form->findChild<QPushButton*>("Command12")->click();
    return finished.wait(timeoutMs);
}

void TestWindowDownloads::fillsStatusWidthAndHeight()
{
    const struct {
        const char* path;
        QSize size;
        const char* format;
    } served[] = {{"/img/red.png", {4, 3}, "PNG"}, {"/img/photo.jpg", {5, 6}, "JPG"},
                  {"/img/old.bmp", {7, 2}, "BMP"}};
    for (const auto& one : served) {
        m_site->setRoute(one.path, pictureRoute(picture(one.size, one.format)));
        const QString address = m_site->url(one.path);
        pictures().addRow(pictureRow(address, getFileName(address, false)));
    }
    QVERIFY(downloadAll());
    for (const auto& one : served) {
        const PictureRow& row = rowOf(m_site->url(one.path));
        QCOMPARE(row.downloadStatus, PictureDownloads::doneText());
        QCOMPARE(row.width, QString::number(one.size.width()));
        QCOMPARE(row.height, QString::number(one.size.height()));
        QFile saved(QDir(m_folder).filePath(row.fileName));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), picture(one.size, one.format));
    }
    QCOMPARE(entries(m_folder), (QStringList{"old.bmp", "photo.jpg", "red.png"}));
}

void TestWindowDownloads::safeNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("saved");

    QTest::newRow("encoded climbing") << "/x/..%2F..%2Fescape.png" << "_._escape.png";
    QTest::newRow("reserved") << "/con.png" << "_con.png";
    QTest::newRow("very long") << "/" + QString(230, 'l') + ".png" << QString(196, 'l') + ".png";
}

void TestWindowDownloads::safeNames()
{
    QFETCH(QString, path);
    QFETCH(QString, saved);
    const QByteArray bytes = picture({2, 2}, "PNG");
    m_site->setRoute(path, pictureRoute(bytes));
    const QString address = m_site->url(path);
    pictures().addRow(pictureRow(address, getFileName(address, false)));
    QVERIFY(downloadAll());
    QCOMPARE(rowOf(address).downloadStatus, PictureDownloads::doneText());
    QCOMPARE(entries(m_folder), QStringList{saved});
    QCOMPARE(entries(m_dir->path()), QStringList{"pictures"}); // nothing beside the folder
    QFile file(QDir(m_folder).filePath(saved));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void TestWindowDownloads::neverOverwrites()
{
    QFile existing(QDir(m_folder).filePath("red.png"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("mine");
    existing.close();
    // Two addresses with the same file name.
    m_site->setRoute("/a/red.png", pictureRoute(picture({1, 1}, "PNG")));
    m_site->setRoute("/b/red.png", pictureRoute(picture({2, 2}, "PNG")));
    pictures().addRow(pictureRow(m_site->url("/a/red.png"), "red.png"));
    pictures().addRow(pictureRow(m_site->url("/b/red.png"), "red.png"));
    QVERIFY(downloadAll());
    QCOMPARE(entries(m_folder), (QStringList{"red (1).png", "red (2).png", "red.png"}));
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("mine"));
    QCOMPARE(rowOf(m_site->url("/a/red.png")).width, QStringLiteral("1"));
    QCOMPARE(rowOf(m_site->url("/b/red.png")).width, QStringLiteral("2"));
}

void TestWindowDownloads::failuresLeaveNoFile_data()
{
    QTest::addColumn<QString>("address"); // "SITE" stands for the test site
    QTest::addColumn<TestRoute>("route");
    QTest::addColumn<QString>("expected"); // how the status starts

    const TestRoute notFound{404, "text/html", "<html>no</html>", {}, false};
    TestRoute hanging = pictureRoute(picture({50, 50}, "PNG"));
    hanging.neverFinish = true;
    TestRoute endless = pictureRoute(QByteArray(100, 'x'));
    endless.fault = TestRoute::Fault::EndlessBody;
    TestRoute trickle = pictureRoute(QByteArray(16, 'x')); // promises 16,000 bytes, under the cap
    trickle.fault = TestRoute::Fault::Trickle;
    QTest::newRow("not found") << "SITE/missing.png" << notFound << PictureDownloads::failedText("HTTP 404");
    QTest::newRow("never ends") << "SITE/hanging.png" << hanging << PictureDownloads::failedText("nothing received for 0.5 s");
    QTest::newRow("trickles past the deadline") << "SITE/trickle.png" << trickle << PictureDownloads::failedText("Operation timed out");
    QTest::newRow("over the byte cap") << "SITE/endless.png" << endless << PictureDownloads::failedText("larger than");
    QTest::newRow("file address") << "file:///etc/hostname" << TestRoute{} << PictureDownloads::failedText("不是网址");
}

void TestWindowDownloads::failuresLeaveNoFile()
{
    QFETCH(QString, address);
    QFETCH(TestRoute, route);
    QFETCH(QString, expected);
    if (address.startsWith("SITE")) {
        const QString path = address.mid(4);
        m_site->setRoute(path, route);
        address = m_site->url(path);
    }
    m_form->downloader().setBounds(smallCap, DownloadDeadlines{shortIdleMs, shortTotalMs});
    pictures().addRow(pictureRow(address, "picture.png"));
    QVERIFY(downloadAll());
    QVERIFY2(rowOf(address).downloadStatus.startsWith(expected), qPrintable(rowOf(address).downloadStatus));
    QCOMPARE(rowOf(address).width, QString());
    QCOMPARE(entries(m_folder), QStringList());
}

// With the bounds the window uses: an endless picture and one of 2 GiB each end at the byte
// cap, the memory stays small, and the good pictures beside them are saved.
void TestWindowDownloads::hostilePicturesEndAtTheirBounds()
{
    TestRoute endless = pictureRoute(QByteArray(100, 'x'));
    endless.fault = TestRoute::Fault::EndlessBody;
    m_site->setRoute("/endless.png", endless);
    m_site->setHugeRoute("/huge.png", qint64(2) << 30);
    const QStringList good{"/a.png", "/b.png"};
    m_site->setRoute(good[0], pictureRoute(picture({9, 9}, "PNG")));
    m_site->setRoute(good[1], pictureRoute(picture({8, 8}, "PNG")));
    for (const QString& path : QStringList{"/endless.png", "/huge.png"} + good)
        pictures().addRow(pictureRow(m_site->url(path), path.mid(1)));
    QVERIFY(downloadAll(120'000));
    for (const QString& path : {"/endless.png", "/huge.png"}) {
        const QString status = rowOf(m_site->url(path)).downloadStatus;
        QVERIFY2(status.startsWith(PictureDownloads::failedText("larger than")), qPrintable(status));
    }
    QCOMPARE(entries(m_folder), (QStringList{"a.png", "b.png"}));
#ifndef __SANITIZE_ADDRESS__ // whose quarantine keeps freed buffers on purpose
    // The peak of the whole process, the server that sent the bytes included.
    QFile status(QStringLiteral("/proc/self/status"));
    QVERIFY(status.open(QIODevice::ReadOnly));
    const QString peak = QString::fromLatin1(status.readAll()).split('\n').filter(QStringLiteral("VmHWM:")).value(0);
    QVERIFY2(peak.simplified().section(' ', 1, 1).toLongLong() < 300 * 1024, qPrintable(peak));
#endif
}

void TestWindowDownloads::rowsFoundAfterSorting()
{
    for (int i = 1; i <= 6; ++i) {
        const QString path = QStringLiteral("/s/%1.png").arg(i);
        m_site->setRoute(path, pictureRoute(picture({i, 10 + i}, "PNG")));
        pictures().addRow(pictureRow(m_site->url(path), QStringLiteral("%1.png").arg(i)));
    }
    QSignalSpy finished(&m_form->downloader(), &PictureDownloads::finished);
    m_form->findChild<QPushButton*>("Command12")->click();
    pictures().sortByColumnClick(1); // rows move while the pictures load
    QVERIFY(finished.wait(10000));
    for (int row = 0; row < pictures().size(); ++row) {
        const PictureRow& picture = pictures().row(row);
        const QString number = picture.fileName.chopped(4);
        QCOMPARE(picture.width, number);
        QCOMPARE(picture.height, QString::number(10 + number.toInt()));
    }
    QCOMPARE(pictures().row(0).fileName, QStringLiteral("6.png"));
}

void TestWindowDownloads::downloadedRowsAreNotFetchedAgain()
{
    m_site->setRoute("/once.png", pictureRoute(picture({3, 3}, "PNG")));
    m_site->setRoute("/missing.png", TestRoute{404, "text/html", "no", {}, false});
    pictures().addRow(pictureRow(m_site->url("/once.png"), "once.png"));
    pictures().addRow(pictureRow(m_site->url("/missing.png"), "missing.png"));
    QVERIFY(downloadAll());
    QVERIFY(downloadAll());
    QCOMPARE(m_site->hits("/once.png"), 1);
    QCOMPARE(m_site->hits("/missing.png"), 2); // a failed row is tried again
    QCOMPARE(entries(m_folder), QStringList{"once.png"});
}

void TestWindowDownloads::stopCancelsWaitingAndLoading()
{
    // Five pictures that never finish: four load, one waits.
    for (int i = 0; i < 5; ++i) {
        const QString path = QStringLiteral("/slow/%1.png").arg(i);
        m_site->setRoute(path, TestRoute{200, "image/png", picture({50, 50}, "PNG"), {}, true});
        pictures().addRow(pictureRow(m_site->url(path), QStringLiteral("%1.png").arg(i)));
    }
    m_form->findChild<QPushButton*>("Command12")->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_site->requestLog().size(), 4, 5000);
    int loading = 0;
    int waiting = 0;
    for (int row = 0; row < pictures().size(); ++row) {
        loading += pictures().row(row).downloadStatus == PictureDownloads::loadingText();
        waiting += pictures().row(row).downloadStatus == PictureDownloads::waitingText();
    }
    QCOMPARE(loading, 4);
    QCOMPARE(waiting, 1);
    QVERIFY(m_form->downloader().isBusy());

    QSignalSpy finished(&m_form->downloader(), &PictureDownloads::finished);
    m_form->findChild<QPushButton*>("Command13")->click();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!m_form->downloader().isBusy());
    for (int row = 0; row < pictures().size(); ++row)
        QCOMPARE(pictures().row(row).downloadStatus, QString());
    QCOMPARE(entries(m_folder), QStringList()); // the files begun are gone
    QTest::qWait(200);
    QCOMPARE(m_site->requestLog().size(), 4); // the waiting one never started
}

void TestWindowDownloads::noFolderNoDownload()
{
    m_site->setRoute("/a.png", pictureRoute(picture({1, 1}, "PNG")));
    pictures().addRow(pictureRow(m_site->url("/a.png"), "a.png"));
    m_answers.folder.reset();
    m_form->findChild<QPushButton*>("Command12")->click();
    QTest::qWait(100);
    QVERIFY(!m_form->downloader().isBusy());
    QCOMPARE(pictures().row(0).downloadStatus, QString());
    QCOMPARE(m_site->hits("/a.png"), 0);
}

void TestWindowDownloads::cachedPicturesAreCopied()
{
    UrlCache cache;
    QVERIFY(cache.isValid());
    PictureTable table;
    PictureDownloads downloader(table, nullptr, &cache);
    const QByteArray bytes = picture({9, 4}, "PNG");
    // Not served by the site: only the cache has it.
    const QString address = m_site->url("/only-cached.png");
    QVERIFY(cache.store(address, bytes).has_value());
    table.addRow(pictureRow(address, "only-cached.png"));

    QSignalSpy finished(&downloader, &PictureDownloads::finished);
    downloader.downloadAll(m_folder);
    QVERIFY(finished.wait(5000));
    QCOMPARE(table.row(0).downloadStatus, PictureDownloads::doneText());
    QCOMPARE(table.row(0).width, QStringLiteral("9"));
    QCOMPARE(table.row(0).height, QStringLiteral("4"));
    QCOMPARE(m_site->hits("/only-cached.png"), 0);
    QFile saved(QDir(m_folder).filePath("only-cached.png"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
}

QTEST_MAIN(TestWindowDownloads)
#include "test_window_downloads.moc"
