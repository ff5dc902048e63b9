// Which program answers a command line: quorvane itself (no window libraries loaded) or the
// full program it hands the window and the Chromium engine to.

#include "site/test_site.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

// Started as from a shell without a display, so the window's program says so and ends.
Finished runProgram(const QString& binary, const QStringList& arguments, bool traceLoading = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    if (traceLoading)
        environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    QProcess program;
    program.setProcessEnvironment(environment);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(binary, arguments);
    // The event loop runs while waiting, so the test site answers.
    if (!finished.wait(60'000)) {
        program.kill();
        program.waitForFinished(5'000);
        return {};
    }
    if (program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

class TestProgramLaunch : public QObject {
    Q_OBJECT

private:
    TestSite site;
    QString binary;
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        binary = qEnvironmentVariable("QUORVANE_BINARY");
        if (binary.isEmpty())
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QVERIFY(site.listen());
        QVERIFY(dir.isValid());
    }

    void windowLibrariesLoaded_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("full"); // the full program ran, with Widgets
        const QString start = site.url(QStringLiteral("/"));
        QTest::newRow("--version") << QStringList{"--version"} << 0 << false;
        QTest::newRow("--help") << QStringList{"--help"} << 0 << false;
        QTest::newRow("headless --version with chromium") << QStringList{"--headless", "--engine", "chromium", "-v"} << 0 << false;
        QTest::newRow("headless search on the net engine")
            << QStringList{"--headless", "--max-pages", "2", "--interval", "0", "--hold", "0", "--timeout", "10", start} << 0 << false;
        QTest::newRow("--engine net") << QStringList{"--headless", "--engine", "net", "--slots", "0", start} << 2 << false;
        QTest::newRow("headless bad option") << QStringList{"--headless", "--bogus", start} << 2 << false;
        QTest::newRow("window") << QStringList{} << 2 << true;
        QTest::newRow("--engine chromium") << QStringList{"--headless", "--engine", "chromium", "--slots", "0", start} << 2 << true;
        QTest::newRow("last --engine wins") << QStringList{"--headless", "--engine", "chromium", "--engine", "net", "--slots", "0", start}
                                            << 2 << false;
    }
    void windowLibrariesLoaded()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(bool, full);
        const Finished run = runProgram(binary, arguments, true);
        QCOMPARE(run.status, status);
        QCOMPARE(run.err.contains(QLatin1String("file=libQt6Widgets")), full);
        if (!full) {
            for (const char* library : {"file=libQt6Gui", "file=libQt6WebEngineCore"})
                QVERIFY2(!run.err.contains(QLatin1String(library)), library);
        }
    }

    // A copy alone has no full program beside it; a link still finds the one beside its target.
    void fullProgramFound_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const QString start = site.url(QStringLiteral("/"));
        QTest::newRow("copy: window") << true << QStringList{} << 2 << "cannot start the window's program";
        QTest::newRow("copy: chromium") << true << QStringList{"--headless", "--engine", "chromium", start} << 2
                                        << "cannot start the window's program";
        QTest::newRow("copy: --version") << true << QStringList{"--version"} << 0 << "";
        QTest::newRow("copy: net search") << true << QStringList{"--headless", "--max-pages", "1", "--interval", "0", "--hold", "0", start}
                                          << 0 << "";
        QTest::newRow("link: window") << false << QStringList{} << 2 << "no display to open the window on";
        QTest::newRow("link: chromium") << false << QStringList{"--headless", "--engine", "chromium", "--slots", "0", start} << 2
                                        << "--slots";
    }
    void fullProgramFound()
    {
        QFETCH(bool, copy);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, err);
        const QString program = dir.filePath(copy ? QStringLiteral("copy/quorvane") : QStringLiteral("link/quorvane"));
        if (!QFile::exists(program)) {
            QVERIFY(QDir(dir.path()).mkpath(QFileInfo(program).path()));
            QVERIFY(copy ? QFile::copy(binary, program) : QFile::link(binary, program));
        }
        const Finished run = runProgram(program, arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(err.isEmpty() || run.err.contains(err), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestProgramLaunch)
#include "test_program_launch.moc"
