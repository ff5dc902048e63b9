#include "app/headless/run_headless.h"
#include "site/test_site.h"
#include "store/file_bytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr int sitePages = 10;
constexpr int runBoundMs = 60'000;

TestRoute html(const QString& body)
{
    return TestRoute{200, "text/html; charset=utf-8", body.toUtf8(), {}, false};
}

// Turns a search file of this version, with no header click in it, into the file version 1
// of the program would have left at the same moment: its tables and texts exactly, the
// pictures in table order. Gives the failing statement, or nothing.
std::optional<QString> turnIntoVersion1(const QString& path)
{
    const QStringList statements = {
        "ALTER TABLE pages RENAME TO pages_now", "ALTER TABLE pictures RENAME TO pictures_now",
        "CREATE TABLE pages(position INTEGER PRIMARY KEY, key TEXT, title TEXT, address TEXT, status TEXT)",
        "CREATE TABLE pictures(position INTEGER PRIMARY KEY, key TEXT, file_name TEXT, address TEXT, type TEXT,"
        " size TEXT, title TEXT, source TEXT, width TEXT, height TEXT, download_status TEXT)",
        "INSERT INTO pages SELECT position, lower(address), title, address, CASE status WHEN 1 THEN '正在下载'"
        " WHEN 2 THEN '提取完成' WHEN 3 THEN '下载出错' END FROM pages_now",
        "INSERT INTO pictures SELECT record, lower(address), file_name, address, type, size, title, source, width,"
        " height, download_status FROM pictures_now",
        "DROP TABLE pages_now", "DROP TABLE pictures_now", "DROP TABLE sorts", "PRAGMA user_version = 1"};
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("version-1"));
        db.setDatabaseName(path);
        if (!db.open())
            failure = db.lastError().text();
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!failure && !query.exec(statement))
                failure = statement + ": " + query.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("version-1"));
    return failure;
}

// Whether the search file holds the tables that turnIntoVersion1 rewrites. Read only: a
// missing file is not made.
bool hasTables(const QString& path)
{
    if (!QFile::exists(path))
        return false;
    bool found = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            found = query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('pages', 'pictures', 'sorts')"))
                    && query.next() && query.value(0).toInt() == 3;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return found;
}

struct Outputs {
    QByteArray pictures;
    QByteArray pages;
};

} // namespace

// The headless runner as the real program, stopped by signals and resumed from its file.
class TestHeadlessSession : public QObject {
    Q_OBJECT

private:
    TestSite site;
    QTemporaryDir dir;
    QString binary;
    Outputs uninterrupted;
    qint64 uninterruptedMs = 0;
    QStringList rowsInMemory; // --rows-in-memory N, for the runs of a test row that asks for it

    QString file(const QString& name) const { return dir.filePath(name); }

    QStringList arguments(const QString& session, int intervalMs = 50) const
    {
        // Unmeasured: a resumed search would measure again what could not be measured before.
        return rowsInMemory + QStringList{"--headless", "--no-measure", "--slots", "1", "--interval", QString::number(intervalMs), "--hold", "0",
                "--timeout", "5", "--titles", "--sources", "--session", session,
                "--output", file("pictures.tsv"), "--pages", file("pages.tsv"), site.url("/s/p0.htm")};
    }

    // Starts the program with its temporary files (the URL cache) in the test's folder.
    void start(QProcess& program, const QStringList& args) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", dir.filePath("tmp"));
        program.setProcessEnvironment(environment);
        program.start(binary, args);
    }

    // Runs to the end; the exit status, or -1 when it did not end within the bound.
    int runToEnd(const QString& session)
    {
        QProcess program;
        QSignalSpy finished(&program, &QProcess::finished);
        start(program, arguments(session));
        if (!finished.wait(runBoundMs)) {
            program.kill();
            program.waitForFinished(5000);
            return -1;
        }
        return program.exitCode();
    }

    Outputs outputs() const { return {bytesOf(file("pictures.tsv")), bytesOf(file("pages.tsv"))}; }

    void clearOutputs()
    {
        for (const char* name : {"pictures.tsv", "pages.tsv"})
            QFile::remove(file(QString::fromLatin1(name)));
    }

    // Starts a search on the session file and kills it after killAfterMs, and not before
    // ready() holds when given (or the run ended by itself).
    void killAfter(const QString& session, int killAfterMs, const std::function<bool()>& ready = {})
    {
        QProcess program;
        QSignalSpy finished(&program, &QProcess::finished);
        start(program, arguments(session));
        QVERIFY(program.waitForStarted(10'000));
        QTest::qWait(killAfterMs); // serves the site meanwhile
        // A machine that is busy elsewhere may start the program late.
        if (ready)
            QVERIFY(QTest::qWaitFor([&] { return !finished.isEmpty() || ready(); }, runBoundMs));
        program.kill();
        // A run that ended by itself before the kill has been heard of already.
        QVERIFY(!finished.isEmpty() || finished.wait(10'000));
    }

    // The search in the session file goes on to the end and gives the uninterrupted tables.
    void resumeToTheEnd(const QString& session)
    {
        clearOutputs();
        QCOMPARE(runToEnd(session), 0);
        QCOMPARE(outputs().pictures, uninterrupted.pictures);
        QCOMPARE(outputs().pages, uninterrupted.pages);
    }

    QStringList cacheFolders() const
    {
        return QDir(file("tmp")).entryList({"quorvane-cache-*"}, QDir::Dirs | QDir::Hidden);
    }

private slots:
    void initTestCase()
    {
        binary = qEnvironmentVariable("QUORVANE_BINARY");
        if (binary.isEmpty())
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QVERIFY(site.listen());
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir("tmp"));
        // A small tree of pages, each with its own picture, a shared one and a tricky title.
        for (int i = 0; i < sitePages; ++i) {
            QString body = QStringLiteral("<html><head><title>页 %1\t\"x\"</title></head><body>"
                                          "<img src=\"pic%1.gif\"><img src=\"shared.jpg\">").arg(i);
            for (int child : {2 * i + 1, 2 * i + 2}) {
                if (child < sitePages)
                    body += QStringLiteral("<a href=\"p%1.htm\">%1</a>").arg(child);
            }
            site.setRoute(QStringLiteral("/s/p%1.htm").arg(i), html(body + "</body></html>"));
            site.setRoute(QStringLiteral("/s/pic%1.gif").arg(i), TestRoute{200, "image/gif", QByteArray(100 * (i + 1), 'g'), {}, false});
        }
        site.setRoute("/s/shared.jpg", TestRoute{200, "image/jpeg", QByteArray(2048, 'j'), {}, false});

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runToEnd(file("whole.sqlite")), 0);
        uninterruptedMs = clock.elapsed();
        uninterrupted = outputs();
        QCOMPARE(uninterrupted.pictures.count('\n'), sitePages + 2); // header, one per page, shared
        QCOMPARE(uninterrupted.pages.count('\n'), sitePages + 1);
        QVERIFY(!uninterrupted.pages.contains("正在下载"));
        QCOMPARE(cacheFolders(), QStringList());

        // A finished search run again loads nothing and gives the same tables.
        clearOutputs();
        site.clearLog();
        QCOMPARE(runToEnd(file("whole.sqlite")), 0);
        QCOMPARE(site.requestLog(), QStringList());
        QCOMPARE(outputs().pictures, uninterrupted.pictures);
        QCOMPARE(outputs().pages, uninterrupted.pages);
    }

    void killedAndResumedEqualsUninterrupted_data()
    {
        // Moments spread over the whole run, start-up and the last page included.
        QTest::addColumn<int>("killAfterMs");
        QTest::addColumn<QStringList>("memory");
        for (int percent = 5; percent < 100; percent += 10)
            QTest::addRow("killed at %d%% of the run", percent) << int(uninterruptedMs * percent / 100) << QStringList();
        // Rows past the third live in the file only, and come back from it.
        for (int percent : {35, 75, 300})
            QTest::addRow("three rows in memory, killed at %d%%", percent)
                << int(uninterruptedMs * percent / 100) << QStringList{"--rows-in-memory", "3"};
    }
    void killedAndResumedEqualsUninterrupted()
    {
        QFETCH(int, killAfterMs);
        QFETCH(QStringList, memory);
        rowsInMemory = memory;
        const auto restore = qScopeGuard([this] { rowsInMemory.clear(); });
        const QString session = file(QStringLiteral("killed-%1.sqlite").arg(killAfterMs));
        killAfter(session, killAfterMs);
        resumeToTheEnd(session);
        // The killed run's cache folder went when the resumed one started.
        QCOMPARE(cacheFolders(), QStringList());
    }

    // A file the version before this one left, broken off halfway: brought to this
    // version, it resumes to the uninterrupted tables.
    void resumesAFileOfVersion1()
    {
        const QString session = file("version-1.sqlite");
        killAfter(session, int(uninterruptedMs / 2), [&session] { return hasTables(session); });
        QCOMPARE(turnIntoVersion1(session), std::nullopt);
        resumeToTheEnd(session);
    }

    // Writes past a small file-size limit fail as on a full disk: the search goes on in
    // memory and its tables are written whole; the file resumes from its last good write.
    void fullDiskWhileRecording()
    {
        const QString session = file("full.sqlite");
        clearOutputs();
        QProcess program;
        program.setChildProcessModifier([] {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
            const rlimit limit{48 * 1024, 48 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        QSignalSpy finished(&program, &QProcess::finished);
        start(program, arguments(session));
        QVERIFY(finished.wait(runBoundMs));
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(err.count(QStringLiteral("cannot keep the search in")), 1);
        QCOMPARE(outputs().pictures, uninterrupted.pictures);
        QCOMPARE(outputs().pages, uninterrupted.pages);
        resumeToTheEnd(session);
    }

    void stoppedBySignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
        QTest::newRow("SIGINT") << int(SIGINT) << 130;
    }
    void stoppedBySignal()
    {
        QFETCH(int, signal);
        QFETCH(int, status);
        const QString session = file(QStringLiteral("signal-%1.sqlite").arg(signal));
        clearOutputs();
        QProcess program;
        QSignalSpy finished(&program, &QProcess::finished);
        start(program, arguments(session, 150));
        QVERIFY(program.waitForStarted(10'000));
        // Stopped in the middle: after the first pictures, long before the end.
        QByteArray progress;
        const QRegularExpression somePictures(QStringLiteral("图片总数：[1-9]"));
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(progress += program.readAllStandardError()).contains(somePictures), 20'000);
        QTest::qWait(300);
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(finished.wait(20'000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QCOMPARE(cacheFolders(), QStringList());

        // Both tables written whole: every row of the stopped run begins the finished one's.
        const Outputs stopped = outputs();
        QVERIFY(stopped.pictures.startsWith("文件名\t"));
        QVERIFY(stopped.pages.startsWith("标题\t"));
        QVERIFY(stopped.pictures.endsWith('\n') && stopped.pages.endsWith('\n'));
        QVERIFY(stopped.pictures.count('\n') > 1);
        QVERIFY(stopped.pictures.count('\n') < uninterrupted.pictures.count('\n'));
        QVERIFY(uninterrupted.pictures.startsWith(stopped.pictures));

        resumeToTheEnd(session);
    }

    void unusableSessionFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("not SQLite") << "notes.txt";
        QTest::newRow("folder is a file") << "notes.txt/search.sqlite";
    }
    void unusableSessionFile()
    {
        QFETCH(QString, name);
        QVERIFY(writeBytes(file("notes.txt"), "keep me\n"));
        site.clearLog();
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int status = runHeadless({"quorvane", "--headless", "--session", file(name), site.url("/s/p0.htm")},
                                       outStream, errStream);
        QCOMPARE(status, 1);
        QVERIFY2(err.startsWith("quorvane: ") && err.contains(file(name)), qPrintable(err));
        QCOMPARE(bytesOf(file("notes.txt")), QByteArray("keep me\n"));
        QVERIFY(out.isEmpty());
        QCOMPARE(site.requestLog(), QStringList()); // no search without its record
    }
};

QTEST_GUILESS_MAIN(TestHeadlessSession)
#include "test_headless_session.moc"
