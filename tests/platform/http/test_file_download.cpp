// A picture streamed to its file: the bytes and their hash whole, every failure without a
// file left behind, a lack of space told apart from other faults.

#include "platform/http/curl_session.h"
#include "platform/http/file_download.h"
#include "site/hostile_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

namespace {

// Lowers this process's file-size limit while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_active = bytes > 0 && ::getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        if (m_active) {
            rlimit lowered = m_saved;
            lowered.rlim_cur = bytes;
            m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
        }
    }
    ~FileSizeLimit()
    {
        if (m_active)
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
    }

private:
    rlimit m_saved{};
    bool m_active = false;
};

} // namespace

class TestFileDownload : public QObject {
    Q_OBJECT

private:
    TestSite site;
    CurlSession session;
    QTemporaryDir folder;
    const DownloadDeadlines quick{1000, 2000};

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        site.addHostileRoutes();
        QVERIFY(folder.isValid());
    }

    void downloads_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<int>("fileSizeLimit"); // 0: none
        QTest::addColumn<QString>("file");      // inside the test's folder
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("reason"); // in the failure, where the server decides it

        const qint64 mib = 1024 * 1024;
        const QString png = QStringLiteral("/hostile/probe/whole.png");
        QTest::newRow("whole picture") << png << mib << 0 << "a.part" << true << false << "";
        QTest::newRow("announced length over the bound") << png << qint64(100'000) << 0 << "b.part" << false << false
                                                         << "larger than";
        QTest::newRow("endless body ends at its bound") << "/hostile/endless.gif" << mib << 0 << "c.part" << false
                                                        << false << "larger than";
        QTest::newRow("trickle ends at its deadline") << "/hostile/trickle.gif" << 8 * mib << 0 << "d.part" << false
                                                      << false << "timed out";
        QTest::newRow("file-size limit reached") << png << mib << 100'000 << "f.part" << false << true << "";
        QTest::newRow("folder missing") << png << mib << 0 << "no/such/folder/g.part" << false << false << "";
    }
    void downloads()
    {
        QFETCH(QString, path);
        QFETCH(qint64, maxBytes);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, file);
        QFETCH(bool, ok);
        QFETCH(bool, diskFull);
        QFETCH(QString, reason);

        const QString target = folder.filePath(file);
        std::optional<DownloadResult> result;
        {
            const FileSizeLimit limit{rlim_t(fileSizeLimit)};
            FileDownload download(&session, site.url(path), target, maxBytes, nullptr, quick);
            connect(&download, &FileDownload::finished, this, [&result](const DownloadResult& r) { result = r; });
            QVERIFY(QTest::qWaitFor([&result] { return result.has_value(); }, 20'000));
        }
        QCOMPARE(result->ok, ok);
        QCOMPARE(result->failure.isEmpty(), ok);
        QVERIFY2(result->failure.contains(reason), qPrintable(result->failure));
        QCOMPARE(result->diskFull, diskFull);
        QVERIFY2(result->bytes <= maxBytes, qPrintable(QString::number(result->bytes)));
        QCOMPARE(QFile::exists(target), ok);
        if (ok) {
            const QByteArray picture = pngPicture(kProbeWidth, kProbeHeight, kProbePictureBytes);
            QFile saved(target);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), picture);
            QCOMPARE(result->sha256, QCryptographicHash::hash(picture, QCryptographicHash::Sha256));
            QCOMPARE(result->bytes, picture.size());
            QCOMPARE(result->contentType, QStringLiteral("image/png"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
    }

    void deletedDownloadRemovesItsFile()
    {
        const QString target = folder.filePath(QStringLiteral("deleted.part"));
        auto download = std::make_unique<FileDownload>(&session, site.url(QStringLiteral("/hostile/trickle.gif")),
                                                       target, 8 << 20);
        QSignalSpy progress(download.get(), &FileDownload::progress);
        QSignalSpy finished(download.get(), &FileDownload::finished);
        QVERIFY(progress.wait(5000));
        QVERIFY(progress.last().at(0).toLongLong() > 0);
        QCOMPARE(site.openStreams(), 1);
        QVERIFY(QFile::exists(target));
        download.reset();
        QVERIFY(!QFile::exists(target));
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
        QCOMPARE(finished.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestFileDownload)
#include "test_file_download.moc"
