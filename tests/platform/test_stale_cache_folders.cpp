#include "platform/stale_cache_folders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// The pid of a process that has ended and been reaped.
qint64 endedPid()
{
    QProcess program;
    program.start(QStringLiteral("true"));
    if (!program.waitForStarted(10'000))
        return 0;
    const qint64 pid = program.processId();
    program.waitForFinished(10'000);
    return pid;
}

} // namespace

class TestStaleCacheFolders : public QObject {
    Q_OBJECT

private slots:
    void onlyFoldersOfEndedProcessesGo_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("ended process") << "ended" << true;
        QTest::newRow("live process (this one)") << "live" << false;
        QTest::newRow("link named like an ended one") << "link" << false;
        QTest::newRow("name without a pid") << "nopid" << false;
    }
    void onlyFoldersOfEndedProcessesGo()
    {
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QDir folder(temp.path());
        const qint64 dead = endedPid();
        QVERIFY(dead > 0);
        QVERIFY(folder.mkdir("elsewhere"));
        QVERIFY(QFile(folder.filePath("elsewhere/keep")).open(QIODevice::WriteOnly));

        QString name;
        if (kind == "ended" || kind == "link")
            name = QStringLiteral("quorvane-cache-%1-abc123").arg(dead);
        else if (kind == "live")
            name = QStringLiteral("quorvane-cache-%1-abc123").arg(qint64(::getpid()));
        else
            name = QStringLiteral("quorvane-cache-abc123");
        if (kind == "link") {
            QVERIFY(QFile::link(folder.filePath("elsewhere"), folder.filePath(name)));
        } else {
            QVERIFY(folder.mkdir(name));
            QVERIFY(QFile(folder.filePath(name + "/1")).open(QIODevice::WriteOnly));
        }

        QCOMPARE(removeStaleCacheFolders(temp.path()), removed ? 1 : 0);
        QCOMPARE(QFileInfo::exists(folder.filePath(name)), !removed);
        QVERIFY(QFile::exists(folder.filePath("elsewhere/keep")));
    }

    void newFoldersCarryTheirPid()
    {
        QTemporaryDir temp;
        QTemporaryDir own(cacheFolderTemplate(temp.path()));
        QVERIFY(own.isValid());
        QCOMPARE(removeStaleCacheFolders(temp.path()), 0);
        QVERIFY(QFileInfo::exists(own.path()));
    }
};

QTEST_GUILESS_MAIN(TestStaleCacheFolders)
#include "test_stale_cache_folders.moc"
