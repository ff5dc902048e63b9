#include "app/downloads/picture_downloads.h"
#include "lists/picture_table.h"
#include "platform/url_cache.h"
#include "site/test_site.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

namespace {

QByteArray picture(const QSize& size, const char* format, Qt::GlobalColor colour = Qt::darkCyan)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TestRoute served(const QByteArray& bytes, const QByteArray& type)
{
    return htmlRoute(bytes, 200, type);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Waits with the event loop running, so that the test's own site answers the program.
bool ends(QProcess* program)
{
    return QTest::qWaitFor([program] { return program->state() == QProcess::NotRunning; }, 20'000);
}

// The rows of a page as backgrounds, which the engine does not load itself: every picture
// the run saves comes through the downloads.
QByteArray pageOf(const QStringList& pictures)
{
    QByteArray html = "<html><body>";
    for (const QString& name : pictures)
        html += "<div style=\"background:url(" + name.toUtf8() + ")\"></div>";
    return html + "</body></html>";
}

} // namespace

class TestPictureDownloads : public QObject {
    Q_OBJECT

private:
    TestSite site;

    // The quorvane program on the page, its pictures into folder; limits may be set on it.
    QProcess* startProgram(const QString& page, const QString& folder, const QStringList& more = {},
                           std::function<void()> inChild = {})
    {
        const QString binary = qEnvironmentVariable("QUORVANE_BINARY");
        if (binary.isEmpty())
            return nullptr;
        auto* program = new QProcess(this);
        if (inChild)
            program->setChildProcessModifier(inChild);
        program->start(binary, QStringList{"--headless", "--no-measure", "--interval", "0", "--hold", "0",
                                           "--download", folder} + more + QStringList{site.url(page)});
        return program;
    }

private slots:
    void initTestCase() { QVERIFY(site.listen()); }

    void namesAndContent()
    {
        QTemporaryDir dir;
        const QString folder = dir.path();
        const QByteArray logo = picture({3, 2}, "PNG");
        const QByteArray kept = picture({7, 7}, "BMP", Qt::red);
        // There before: a picture of another name, a different file under a name the run
        // would choose, and what a killed run left.
        QVERIFY(writeFile(folder + "/kept.bmp", kept));
        QVERIFY(writeFile(folder + "/logo_v=3.png", "not a picture, and not ours"));
        QVERIFY(writeFile(folder + "/.quorvane-Ab12Cd.part", QByteArray(10, 'x')));

        site.setRoute("/names/logo.png?v=3", served(logo, "image/png"));
        site.setRoute("/names/product?sku=FL-101", served(picture({5, 4}, "JPEG"), "image/jpeg"));
        site.setRoute("/names/again.png", served(logo, "image/png"));
        site.setRoute("/names/old.bmp", served(kept, "image/bmp"));
        PictureTable table;
        for (const char* path : {"/names/logo.png?v=3", "/names/product?sku=FL-101", "/names/again.png", "/names/old.bmp"}) {
            PictureRow row;
            row.address = site.url(QString::fromLatin1(path));
            table.addRow(row);
        }
        PictureDownloads downloads(table, nullptr, nullptr);
        QSignalSpy finished(&downloads, &PictureDownloads::finished);
        downloads.downloadAll(folder);
        QVERIFY(finished.wait(10'000));

        QCOMPARE(entries(folder), (QStringList{"kept.bmp", "logo_v=3 (1).png", "logo_v=3.png", "product_sku=FL-101.jpg"}));
        QCOMPARE(contents(folder + "/logo_v=3.png"), QByteArray("not a picture, and not ours"));
        QCOMPARE(contents(folder + "/logo_v=3 (1).png"), logo);
        QCOMPARE(table.row(0).downloadStatus, PictureDownloads::doneText());
        QCOMPARE(table.row(2).downloadStatus, PictureDownloads::sameAsText("logo_v=3 (1).png"));
        QCOMPARE(table.row(3).downloadStatus, PictureDownloads::sameAsText("kept.bmp"));
        QCOMPARE(QStringList({table.row(1).width, table.row(1).height, table.row(3).width}), (QStringList{"5", "4", "7"}));
        QCOMPARE(downloads.tally().saved, 2);
        QCOMPARE(downloads.tally().same, 2);
    }

    // Killed while a picture arrives: no half file under its name; the next run clears the
    // temporary file and saves the picture whole.
    void killLeavesNoHalfPicture()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("pictures");
        const QByteArray whole = picture({40, 30}, "BMP");
        TestRoute hanging = served(whole, "image/bmp");
        hanging.neverFinish = true;
        site.setRoute("/kill/slow.bmp", hanging);
        site.setRoute("/kill/page.htm", htmlRoute(pageOf({"slow.bmp"})));
        QProcess* program = startProgram("/kill/page.htm", folder);
        if (!program)
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QVERIFY(QTest::qWaitFor([&] { return !QDir(folder).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty(); }, 20'000));
        QTest::qWait(200); // half the body on its way to the file
        program->kill();
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());

        site.setRoute("/kill/slow.bmp", served(whole, "image/bmp"));
        QProcess* again = startProgram("/kill/page.htm", folder);
        QVERIFY(ends(again));
        QCOMPARE(again->exitCode(), 0);
        QCOMPARE(entries(folder), QStringList{"slow.bmp"});
        QCOMPARE(contents(folder + "/slow.bmp"), whole);
    }

    void resumedSessionFetchesNothing()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("pictures");
        const QString session = dir.filePath("search.sqlite");
        site.setRoute("/resume/a.png", served(picture({2, 2}, "PNG"), "image/png"));
        site.setRoute("/resume/b.png", served(picture({3, 3}, "PNG"), "image/png"));
        site.setRoute("/resume/page.htm", htmlRoute(pageOf({"a.png", "b.png"})));
        for (int run = 0; run < 2; ++run) {
            QProcess* program = startProgram("/resume/page.htm", folder, {"--session", session});
            if (!program)
                QSKIP("QUORVANE_BINARY is not set (run through CTest)");
            QVERIFY(ends(program));
            QCOMPARE(program->exitCode(), 0);
            QCOMPARE(entries(folder), (QStringList{"a.png", "b.png"}));
            QVERIFY2(program->readAllStandardOutput().count("下载完成") == 2, "both rows done");
            QCOMPARE(site.hits("/resume/a.png") + site.hits("/resume/b.png"), 2);
        }
    }

    // A file-size limit on the program stands for a full disk: writes past it fail.
    void fullDiskEndsTheDownloads()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("pictures");
        const QString table = dir.filePath("pictures.tsv");
        const QByteArray small = picture({4, 4}, "PNG");
        site.setRoute("/full/small.png", served(small, "image/png"));
        site.setRoute("/full/large.bmp", served(picture({300, 300}, "BMP"), "image/bmp"));
        site.setRoute("/full/page.htm", htmlRoute(pageOf({"small.png", "large.bmp"})));
        QProcess* program = startProgram("/full/page.htm", folder, {"--output", table}, [] {
            constexpr rlim_t limit = 64 * 1024;
            const rlimit bytes{limit, limit};
            setrlimit(RLIMIT_FSIZE, &bytes);
        });
        if (!program)
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QVERIFY(ends(program));
        QCOMPARE(program->exitCode(), 1);
        const QString err = QString::fromUtf8(program->readAllStandardError());
        QCOMPARE(err.count(QStringLiteral("downloads ended")), 1);
        QVERIFY2(contents(table).contains("large.bmp"), qPrintable(err));
        for (const QString& name : entries(folder)) // what was saved stays, whole
            QCOMPARE(contents(folder + '/' + name), small);
    }
};

QTEST_GUILESS_MAIN(TestPictureDownloads)
#include "test_picture_downloads.moc"
