#include "app/headless/run_headless.h"
#include "app/headless/search_progress.h"
#include "site/test_site.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// In-process, as main() does it. A run that does not end within the bound aborts the test
// rather than hang it.
Run runHeadlessBounded(const QStringList& arguments, int boundMs = 30'000)
{
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
    bound.start(boundMs);
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = runHeadless(QStringList{QStringLiteral("quorvane"), QStringLiteral("--headless")} + arguments,
                             out, err);
    return run;
}

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<unreadable>");
}

TestRoute html(const QString& body, int status = 200)
{
    TestRoute route;
    route.status = status;
    route.contentType = "text/html; charset=utf-8";
    route.body = body.toUtf8();
    return route;
}

TestRoute bytes(const QByteArray& contentType, int size)
{
    TestRoute route;
    route.contentType = contentType;
    route.body = QByteArray(size, 'x');
    return route;
}

} // namespace

class TestHeadlessRunner : public QObject {
    Q_OBJECT

private:
    TestSite site;
    QTemporaryDir dir;

    QString at(const QString& path) const { return site.url(QStringLiteral("/e2e/") + path); }

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        QVERIFY(dir.isValid());
        const QString outside = site.otherHostUrl(QStringLiteral("/e2e/outside.htm"));
        site.setRoute(QStringLiteral("/e2e/index.htm"), html(QStringLiteral(
            "<html><head><title> Start </title><link rel=\"stylesheet\" href=\"s.css\"></head>"
            "<body background=\"bg.gif\"><table><tr><td background=\"td.png\">cell</td></tr></table>"
            "<img src=\"a.gif\"><img src=\"missing.gif\">"
            "<div style=\"background:url(inline.jpg)\"></div>"
            "<iframe src=\"frame.htm\"></iframe><iframe src=\"%1\"></iframe>"
            "<a href=\"page2.htm\">2</a><a href=\"broken.htm\">b</a><a href=\"%2\">out</a>"
            "<a href=\"doc.zip\">zip</a><a href=\"mailto:me@h.com\">mail</a></body></html>")
            .arg(site.otherHostUrl(QStringLiteral("/e2e/foreign-frame.htm")), outside)));
        site.setRoute(QStringLiteral("/e2e/s.css"), [] {
            TestRoute sheet;
            sheet.contentType = "text/css";
            sheet.body = "div{background:url(../e2e/sheet.gif)}";
            return sheet;
        }());
        site.setRoute(QStringLiteral("/e2e/frame.htm"), html(QStringLiteral(
            "<html><body><img src=\"f.gif\"><a href=\"page2.htm\">again</a></body></html>")));
        site.setRoute(QStringLiteral("/e2e/page2.htm"), html(QStringLiteral(
            "<html><head><title>Two</title></head><body><img src=\"A.GIF\"><img src=\"b.jpg\">"
            "<a href=\"index.htm#\">home</a><a href=\"slow.htm\">slow</a></body></html>")));
        site.setRoute(QStringLiteral("/e2e/broken.htm"), html(QStringLiteral("<html><body><img src=\"no.gif\"></body></html>"), 404));
        TestRoute slow = html(QStringLiteral("<html><body>"));
        slow.neverFinish = true;
        site.setRoute(QStringLiteral("/e2e/slow.htm"), slow);
        site.setRoute(QStringLiteral("/e2e/a.gif"), bytes("image/gif", 2048));
        site.setRoute(QStringLiteral("/e2e/b.jpg"), bytes("image/jpeg", 1536));
        site.setRoute(QStringLiteral("/e2e/f.gif"), bytes("image/gif", 100));
        site.setRoute(QStringLiteral("/e2e/missing.gif"), html(QStringLiteral("gone"), 404));
    }

    void searchesTheWholeSite_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("titles");
        QTest::addColumn<bool>("sources");
        QTest::newRow("plain") << QStringList{} << false << false;
        QTest::newRow("titles and sources") << QStringList{"--titles", "--sources"} << true << true;
    }
    void searchesTheWholeSite()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, titles);
        QFETCH(bool, sources);
        site.clearLog();
        const QString pagesFile = dir.filePath(QStringLiteral("pages.tsv"));
        const Run run = runHeadlessBounded(options + QStringList{
            "--interval", "10", "--hold", "0", "--timeout", "2", "--pages", pagesFile, at("index.htm")});
        QCOMPARE(run.status, 0);

        const QString index = at("index.htm");
        auto row = [&](const QString& name, const QString& type, const QString& size,
                       const QString& title, const QString& source) {
            return QStringList{name, at(name), type, size, titles ? title : QString(),
                               sources ? source : QString(), {}, {}, {}}.join(QLatin1Char('\t')) + QLatin1Char('\n');
        };
        const QString expectedPictures
            = QStringLiteral("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n")
            + row("bg.gif", "gif", "", "Start", index)
            + row("td.png", "png", "", "Start", index)
            + row("a.gif", "gif", "2.000", "Start", index)
            + row("missing.gif", "gif", "", "Start", index)
            + row("inline.jpg", "jpg", "", "Start", index)
            + row("sheet.gif", "gif", "", "Start", index)
            + row("f.gif", "gif", "0.098", "Start", at("frame.htm"))
            + row("A.GIF", "GIF", "", "Two", at("page2.htm"))
            + row("b.jpg", "jpg", "1.500", "Two", at("page2.htm"));
        QCOMPARE(run.out, expectedPictures);

        QCOMPARE(readText(pagesFile), QStringLiteral("标题\t网址\t下载状态\n")
                 + "[添加]\t" + index + "\t提取完成\n"
                 + "1\t" + at("page2.htm") + "\t提取完成\n"
                 + "1\t" + at("broken.htm") + "\t下载出错\n"
                 + "1\t" + at("slow.htm") + "\t下载出错\n");

        // Only the searched site was asked, and every page once.
        const QString ownHost = QUrl(index).authority();
        for (const QString& request : site.requestLog())
            QVERIFY2(request.startsWith(ownHost + QLatin1Char(' ')), qPrintable(request));
        QCOMPARE(site.hits(QStringLiteral("/e2e/index.htm")), 1);
        QVERIFY(run.err.contains(QStringLiteral("网页总数：4")));
    }

    // The filters decide the rows written; the summary counts those left out.
    void filtersChooseTheRowsWritten_data()
    {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("summary");
        QTest::newRow("types, letter case ignored") << QStringList{"--types", "JPG,png"}
            << QStringList{"td.png", "inline.jpg", "b.jpg"} << "left out 6 of 9 pictures, 0 of them";
        QTest::newRow("match and exclude") << QStringList{"--match", "/e2e/[a-f]\\.", "--exclude", "jpg$"}
            << QStringList{"a.gif", "f.gif"} << "left out 7 of 9 pictures, 0 of them";
        QTest::newRow("size bounds, unknown sizes out") << QStringList{"--min-size", "1", "--max-size", "1.9"}
            << QStringList{"b.jpg"} << "left out 8 of 9 pictures, 0 of them";
        QTest::newRow("width of no picture known") << QStringList{"--min-width", "1"}
            << QStringList{} << "left out 9 of 9 pictures, 9 of them because their dimensions stayed unknown";
    }
    void filtersChooseTheRowsWritten()
    {
        QFETCH(QStringList, filters);
        QFETCH(QStringList, names);
        QFETCH(QString, summary);
        const QString output = dir.filePath(QStringLiteral("filtered.tsv"));
        const Run run = runHeadlessBounded(filters + QStringList{"--interval", "10", "--hold", "0", "--timeout", "2",
                                                                 "--output", output, at("index.htm")});
        QCOMPARE(run.status, 0);
        QStringList written;
        for (const QString& line : readText(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1))
            written.append(line.section(QLatin1Char('\t'), 0, 0));
        QCOMPARE(written, names);
        QVERIFY2(run.err.contains(summary), qPrintable(run.err));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << QStringList{"--fast", "http://127.0.0.1/"} << "fast";
        QTest::newRow("no address") << QStringList{"--titles"} << "no start address";
        QTest::newRow("no slots") << QStringList{"--slots", "0", "http://127.0.0.1/"} << "--slots";
        QTest::newRow("interval not a number") << QStringList{"--interval", "soon", "http://127.0.0.1/"} << "--interval";
        QTest::newRow("negative hold") << QStringList{"--hold", "-1", "http://127.0.0.1/"} << "--hold";
        QTest::newRow("no time-out") << QStringList{"--timeout", "0", "http://127.0.0.1/"} << "--timeout";
        QTest::newRow("missing value") << QStringList{"http://127.0.0.1/", "--output"} << "output";
        QTest::newRow("unknown engine") << QStringList{"--engine", "gecko", "http://127.0.0.1/"} << "--engine";
        QTest::newRow("negative workers") << QStringList{"--workers", "-1", "http://127.0.0.1/"} << "--workers";
        QTest::newRow("workers past the bound") << QStringList{"--workers", "65", "http://127.0.0.1/"} << "--workers";
#ifndef QUORVANE_HAVE_WEBENGINE
        QTest::newRow("chromium") << QStringList{"--engine", "chromium", "http://127.0.0.1/"} << "chromium";
#endif
        QTest::newRow("unknown format") << QStringList{"--format", "xlsx", "http://127.0.0.1/"} << "--format";
        QTest::newRow("unknown option named as typed") << QStringList{"--colour", "http://127.0.0.1/"} << "unknown option --colour";
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = runHeadlessBounded(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        const QString firstLine = run.err.section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(firstLine.startsWith(QStringLiteral("quorvane: ")) && firstLine.contains(message), qPrintable(run.err));
    }

    void formatOption_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("pictures");
        QTest::addColumn<QByteArray>("pages");
        QTest::newRow("tsv") << "tsv" << QByteArray("文件名\t") << QByteArray("标题\t网址\t下载状态\n[添加]\t");
        QTest::newRow("csv") << "csv" << QByteArray("\xEF\xBB\xBF\"文件名\",") << QByteArray("\xEF\xBB\xBF\"标题\",\"网址\",\"下载状态\"\r\n\"[添加]\",");
        QTest::newRow("jsonl") << "jsonl" << QByteArray("{\"文件名\":\"a.gif\",") << QByteArray("{\"标题\":\"[添加]\",");
    }
    void formatOption()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, pictures);
        QFETCH(QByteArray, pages);
        site.setRoute(QStringLiteral("/e2e/lone.htm"), html(QStringLiteral("<html><body><img src=\"a.gif\"></body></html>")));
        const QString picturesFile = dir.filePath(QStringLiteral("pictures.") + format);
        const QString pagesFile = dir.filePath(QStringLiteral("pages.") + format);
        const Run run = runHeadlessBounded({"--interval", "0", "--hold", "0", "--format", format, "--output", picturesFile,
                                            "--pages", pagesFile, at("lone.htm")});
        QCOMPARE(run.status, 0);
        QFile written(picturesFile);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY2(written.readAll().startsWith(pictures), qPrintable(format));
        QFile writtenPages(pagesFile);
        QVERIFY(writtenPages.open(QIODevice::ReadOnly));
        QVERIFY2(writtenPages.readAll().startsWith(pages), qPrintable(format));
    }

    void progressLine_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("known");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("line");
        QTest::newRow("start") << 0 << 1 << 0 << 0.0 << "pages 0 of 1 done, 0 pictures, 0.0 pages/s";
        QTest::newRow("running") << 12 << 40 << 345 << 4.0 << "pages 12 of 40 done, 345 pictures, 3.0 pages/s";
        QTest::newRow("rate rounds") << 1 << 3 << 2 << 3.0 << "pages 1 of 3 done, 2 pictures, 0.3 pages/s";
    }
    void progressLine()
    {
        QFETCH(int, done);
        QFETCH(int, known);
        QFETCH(int, pictures);
        QFETCH(double, seconds);
        QFETCH(QString, line);
        QCOMPARE(::progressLine(done, known, pictures, seconds), line);
    }

    void progressIsOneLinePerChangeOffTerminal()
    {
        QString text;
        QTextStream toText(&text);
        QVERIFY(!writesToTerminal(toText));
        site.setRoute(QStringLiteral("/e2e/lone.htm"), html(QStringLiteral("<html><body><img src=\"a.gif\"></body></html>")));
        const Run run = runHeadlessBounded({"--interval", "0", "--hold", "0", at("lone.htm")});
        QVERIFY2(!run.err.contains(QLatin1Char('\r')), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("网页总数：1\n")), qPrintable(run.err));
    }

    void unwritableOutputFails()
    {
        site.setRoute(QStringLiteral("/e2e/lone.htm"), html(QStringLiteral("<html><body><img src=\"a.gif\"></body></html>")));
        const QString nowhere = dir.filePath(QStringLiteral("no-such-folder/pictures.tsv"));
        const Run run = runHeadlessBounded({"--interval", "10", "--hold", "0", "--output", nowhere, at("lone.htm")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(nowhere));
        QVERIFY(!QFile::exists(nowhere));
    }

    // A folder that cannot be made (its parent is a file): one message, exit 1, the table
    // still written.
    void unwritableDownloadFolderFails()
    {
        site.setRoute(QStringLiteral("/e2e/lone.htm"), html(QStringLiteral("<html><body><img src=\"a.gif\"></body></html>")));
        const QString file = dir.filePath(QStringLiteral("a-file"));
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString output = dir.filePath(QStringLiteral("kept.tsv"));
        const Run run = runHeadlessBounded({"--interval", "10", "--hold", "0", "--output", output,
                                            "--download", file + QStringLiteral("/pictures"), at("lone.htm")});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.count(QStringLiteral("downloads ended")), 1);
        QVERIFY(readText(output).contains(at("a.gif")));
    }

    void programDispatchesHeadless()
    {
        const QString binary = qEnvironmentVariable("QUORVANE_BINARY");
        if (binary.isEmpty())
            QSKIP("QUORVANE_BINARY is not set (run through CTest)");
        QProcess program;
        program.start(binary, {QStringLiteral("--headless"), QStringLiteral("--bogus")});
        QSignalSpy finished(&program, &QProcess::finished);
        QVERIFY(finished.wait(20'000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("usage: quorvane --headless"));
    }
};

QTEST_GUILESS_MAIN(TestHeadlessRunner)
#include "test_headless_runner.moc"
