#include "app/headless/headless_options.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

// The program as a user starts it from a shell without a display: no DISPLAY, no
// WAYLAND_DISPLAY, no QT_QPA_PLATFORM.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void withoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "usage: quorvane" << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "--format FORMAT" << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Quorvane 0." << "";
        QTest::newRow("-v") << QStringList{"-v"} << 0 << "Quorvane 0." << "";
        QTest::newRow("headless --version") << QStringList{"--headless", "--version"} << 0 << "Quorvane 0." << "";
        QTest::newRow("help after a bad option") << QStringList{"--bogus", "--help"} << 0 << "usage: quorvane" << "";
        QTest::newRow("window without a display") << QStringList{} << 2 << "" << "--headless";
        QTest::newRow("headless bad option named") << QStringList{"--headless", "--fast", "http://127.0.0.1/"} << 2 << ""
                                                   << "unknown option --fast";
        QTest::newRow("help names the filters") << QStringList{"--help"} << 0 << "--min-width N" << "";
        QTest::newRow("help names --download") << QStringList{"--help"} << 0 << "--download DIR" << "";
        QTest::newRow("headless bad --match") << QStringList{"--headless", "--match", "a(b", "http://127.0.0.1/"} << 2 << ""
                                              << "--match";
        QTest::newRow("headless bad --exclude") << QStringList{"--headless", "--exclude", "[z-a]", "http://127.0.0.1/"} << 2 << ""
                                                << "--exclude";
        QTest::newRow("headless bad format") << QStringList{"--headless", "--format", "xls", "http://127.0.0.1/"} << 2 << ""
                                             << "--format";
    }
    void withoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString binary = qEnvironmentVariable("QUORVANE_BINARY");
        if (binary.isEmpty())
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(binary, arguments);
        QVERIFY(program.waitForFinished(20'000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QString standardOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString standardErr = QString::fromUtf8(program.readAllStandardError());
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(out.isEmpty() ? standardOut.isEmpty() : standardOut.contains(out), qPrintable(standardOut));
        QVERIFY2(err.isEmpty() ? standardErr.isEmpty() : standardErr.contains(err), qPrintable(standardErr));
        if (!err.isEmpty())
            QCOMPARE(standardErr.count(QLatin1Char('\n')) >= 1, true);
    }

    void informationOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("starts");
        QTest::newRow("nothing asked") << QStringList{} << "";
        QTest::newRow("help") << QStringList{"--help"} << "usage:";
        QTest::newRow("version") << QStringList{"--version"} << "Quorvane ";
        QTest::newRow("help wins over version") << QStringList{"--version", "--help"} << "usage:";
        QTest::newRow("Qt's -reverse is not -v") << QStringList{"-reverse"} << "";
        QTest::newRow("Qt's -platform value is not an option") << QStringList{"-platform", "offscreen"} << "";
        QTest::newRow("--help as a file name") << QStringList{"--headless", "--output", "--help", "http://h/"} << "";
        QTest::newRow("after --, an address") << QStringList{"--headless", "--", "--version"} << "";
    }
    void informationOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, starts);
        const std::optional<QString> text = informationRequested(QStringList{"quorvane"} + arguments);
        QCOMPARE(text.value_or(QString()).left(starts.size()), starts);
        QCOMPARE(text.has_value(), !starts.isEmpty());
    }

    void downloadAndFilterOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::newRow("types, case and dots") << QStringList{"--types", " JPG,.png,,WebP"} << "";
        QTest::newRow("no type named") << QStringList{"--types", ", ,"} << "--types";
        QTest::newRow("fractional size") << QStringList{"--min-size", "1.5", "--max-size", "20"} << "";
        QTest::newRow("negative size") << QStringList{"--max-size", "-1"} << "--max-size";
        QTest::newRow("width not a number") << QStringList{"--min-width", "wide"} << "--min-width";
        QTest::newRow("file size at its bound") << QStringList{"--max-file-size", QString::number(kMaxFileSizeMbLimit)} << "";
        QTest::newRow("file size past its bound") << QStringList{"--max-file-size", QString::number(kMaxFileSizeMbLimit + 1)}
                                                  << "--max-file-size";
        QTest::newRow("no file size") << QStringList{"--max-file-size", "0"} << "--max-file-size";
        QTest::newRow("empty folder") << QStringList{"--download", ""} << "--download";
#ifdef QUORVANE_HAVE_WEBENGINE
        QTest::newRow("chromium: request settings") << QStringList{"--engine", "chromium", "--cookies", "c.txt", "--header", "X-A: 1", "--insecure"} << "";
        QTest::newRow("chromium: no CA file") << QStringList{"--engine", "chromium", "--ca-file", "ca.pem"} << "--ca-file";
#endif
    }
    void downloadAndFilterOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const auto parsed = parseHeadlessArguments(QStringList{"quorvane", "--headless"} + arguments + QStringList{"http://h/"});
        const auto* usage = std::get_if<UsageError>(&parsed);
        QVERIFY2(error.isEmpty() ? !usage : usage && usage->message.contains(error),
                 usage ? qPrintable(usage->message) : "accepted");
    }

    void optionValues()
    {
        const auto parsed = parseHeadlessArguments({"quorvane", "--headless", "--no-measure", "--types", "JPG,.png",
                                                    "--max-file-size", "3", "--download", "d", "http://h/"});
        const HeadlessOptions& options = std::get<HeadlessOptions>(parsed);
        QCOMPARE(options.filter.types, (QStringList{"jpg", "png"}));
        QCOMPARE(options.maxFileBytes, qint64(3) << 20);
        QVERIFY(!options.measure);
        QCOMPARE(options.downloadFolder, QStringLiteral("d"));
        const auto defaults = parseHeadlessArguments({"quorvane", "--headless", "http://h/"});
        QVERIFY(std::get<HeadlessOptions>(defaults).measure);
        QVERIFY(std::get<HeadlessOptions>(defaults).filter.isEmpty());
    }

    // Decides which application object the search gets: Chromium without its GUI application
    // crashes.
    void chromiumAsked_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("chromium");
        QTest::newRow("no engine") << QStringList{"--headless", "http://h/"} << false;
        QTest::newRow("--engine chromium") << QStringList{"--headless", "--engine", "chromium", "http://h/"} << true;
        QTest::newRow("--engine=chromium") << QStringList{"--headless", "--engine=chromium", "http://h/"} << true;
        QTest::newRow("-engine chromium") << QStringList{"--headless", "-engine", "chromium", "http://h/"} << true;
        QTest::newRow("last --engine wins") << QStringList{"--headless", "--engine", "chromium", "--engine", "net", "http://h/"} << false;
        QTest::newRow("--engine as a file name") << QStringList{"--headless", "--output", "--engine", "chromium"} << false;
        QTest::newRow("after --, addresses") << QStringList{"--headless", "--", "--engine", "chromium"} << false;
        QTest::newRow("beside a bad option") << QStringList{"--headless", "--bogus", "--engine", "chromium", "http://h/"} << true;
    }
    void chromiumAsked()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, chromium);
        QCOMPARE(asksForChromium(QStringList{"quorvane"} + arguments), chromium);
    }

    // The window reads them from the same command line, beside options it has its own use for.
    void politenessForTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("obeyRobots");
        QTest::addColumn<bool>("readSitemaps");
        QTest::newRow("defaults") << QStringList{"--lang", "en"} << true << true;
        QTest::newRow("--ignore-robots") << QStringList{"--lang", "en", "--ignore-robots"} << false << true;
        QTest::newRow("--no-sitemaps") << QStringList{"--no-sitemaps"} << true << false;
    }
    void politenessForTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, obeyRobots);
        QFETCH(bool, readSitemaps);
        const Politeness politeness = parsePoliteness(QStringList{"quorvane"} + arguments);
        QCOMPARE(politeness.obeyRobots, obeyRobots);
        QCOMPARE(politeness.readSitemaps, readSitemaps);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
