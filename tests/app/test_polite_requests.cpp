#include "app/headless/run_headless.h"
#include "app/site_holds.h"
#include "bounded_headless_run.h"
#include "platform/http/curl_session.h"
#include "platform/http/net_picture_probe.h"
#include "site/test_site.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

namespace {

struct Run {
    int status = -1;
    QString err;
    QString pages;    // the page table
    QString pictures; // the picture table
};

Run search(const QString& address, const QStringList& options, const QTemporaryDir& dir)
{
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { qFatal("the headless run did not end"); });
    bound.start(60'000);
    Run run;
    QString out;
    QTextStream outStream(&out);
    QTextStream err(&run.err);
    const QString pagesFile = dir.filePath(QStringLiteral("pages.tsv"));
    run.status = runHeadless(QStringList{QStringLiteral("quorvane"), QStringLiteral("--headless"),
                                         QStringLiteral("--interval"), QStringLiteral("0"), QStringLiteral("--hold"), QStringLiteral("0"), QStringLiteral("--pages"),
                                         pagesFile}
                                 + options + QStringList{address},
                             outStream, err);
    QFile pages(pagesFile);
    if (pages.open(QIODevice::ReadOnly))
        run.pages = QString::fromUtf8(pages.readAll());
    run.pictures = out;
    return run;
}

TestRoute gallery()
{
    TestRoute route;
    route.contentType = "text/html; charset=utf-8";
    route.body = "<html><body><img src=\"/polite/a.gif\"></body></html>";
    return route;
}

} // namespace

class TestPoliteRequests : public QObject {
    Q_OBJECT

private:
    TestSite site;
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        QVERIFY(dir.isValid());
        TestRoute picture;
        picture.contentType = "image/gif";
        picture.body = QByteArray("GIF89a\x01\x00\x01\x00", 10);
        site.setRoute(QStringLiteral("/polite/a.gif"), picture);
    }

    void retryAfterIsWaitedFor_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("busyAnswers");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("heads");
        QTest::newRow("net") << "net" << 1 << 2 << 0;
        // Chromium shows no headers: a HEAD asks for the Retry-After after the 429, and is
        // refused as well.
        if (searchEngines().contains(QStringLiteral("chromium")))
            QTest::newRow("chromium") << "chromium" << 2 << 3 << 1;
    }

    void retryAfterIsWaitedFor()
    {
        QFETCH(QString, engine);
        QFETCH(int, busyAnswers);
        TestRoute busy = gallery();
        busy.busyAnswers = busyAnswers;
        busy.busyRetryAfter = "2";
        const QString path = QStringLiteral("/polite/busy-%1.htm").arg(engine);
        site.setRoute(path, busy);
        site.clearLog();
        QElapsedTimer clock;
        clock.start();
        const Run run = search(site.url(path), {QStringLiteral("--engine"), engine}, dir);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.pages.contains(QStringLiteral("提取完成")), qPrintable(run.pages));
        QVERIFY(run.pictures.contains(QStringLiteral("a.gif")));
        QTEST(site.hits(path), "requests");
        QTEST(site.headHits(path), "heads");
        // The page again, and only then its picture.
        const QStringList log = site.requestLog();
        QVERIFY2(log.indexOf(QRegularExpression(QStringLiteral(".* /polite/a.gif"))) > log.lastIndexOf(QRegularExpression(QStringLiteral(".* ") + path)), qPrintable(log.join(u'\n')));
        QVERIFY(clock.elapsed() >= 1900);
    }

    void withoutRetryAfterThreeRetries()
    {
        TestRoute busy = gallery();
        busy.busyAnswers = 1000;
        site.setRoute(QStringLiteral("/polite/always-busy.htm"), busy);
        const Run run = search(site.url(QStringLiteral("/polite/always-busy.htm")), {}, dir);
        QCOMPARE(site.hits(QStringLiteral("/polite/always-busy.htm")), 1 + SiteHolds::kRetriesUnnamed);
        QVERIFY2(run.pages.contains(QStringLiteral("下载出错")), qPrintable(run.pages));
    }

    void busyPictureAskedAgain()
    {
        TestRoute picture;
        picture.contentType = "image/gif";
        picture.body = QByteArray("GIF89a\x02\x00\x03\x00", 10);
        picture.busyAnswers = 1;
        picture.busyRetryAfter = "1";
        site.setRoute(QStringLiteral("/polite/busy.gif"), picture);
        site.setRoute(QStringLiteral("/polite/with-busy-picture.htm"),
                      htmlRoute("<html><body><img src=\"/polite/busy.gif\"></body></html>"));
        const Run run = search(site.url(QStringLiteral("/polite/with-busy-picture.htm")), {}, dir);
        QCOMPARE(site.hits(QStringLiteral("/polite/busy.gif")), 2);
        QVERIFY2(run.pictures.contains(QStringLiteral("\tgif\t0.010\t")), qPrintable(run.pictures)); // its size: loaded
    }

    void busyPictureProbedAgain()
    {
        TestRoute picture;
        picture.contentType = "image/gif";
        picture.body = QByteArray("GIF89a\x02\x00\x03\x00", 10);
        picture.busyAnswers = 1;
        site.setRoute(QStringLiteral("/polite/probed.gif"), picture);
        CurlSession session;
        NetPictureProbe probe(&session);
        QSignalSpy measured(&probe, &PictureProbe::measured);
        probe.measure(site.url(QStringLiteral("/polite/probed.gif")));
        QVERIFY(measured.wait(10'000));
        QCOMPARE(measured.at(0).at(1).value<PictureMeasure>().height, std::optional<int>(3));
        QCOMPARE(site.hits(QStringLiteral("/polite/probed.gif")), 2);
    }

    void identityArrives_data()
    {
        QTest::addColumn<QString>("engine");
        for (const QString& engine : searchEngines())
            QTest::newRow(qPrintable(engine)) << engine;
    }

    // The page and its picture (Chromium's requests there) and robots.txt (the curl
    // session's) carry the same user agent and extra header.
    void identityArrives()
    {
        QFETCH(QString, engine);
        const QString page = QStringLiteral("/polite/who-%1.htm").arg(engine);
        // A link of its own: robots.txt is read before the page it leads to.
        site.setRoute(page, htmlRoute("<html><body><img src=\"/polite/a.gif\"><a href=\"/polite/elsewhere.htm\">b</a></body></html>"));
        // Unmeasured: the picture's one request is the page's.
        const Run run = search(site.url(page), {QStringLiteral("--engine"), engine, QStringLiteral("--no-measure"), QStringLiteral("--user-agent"), QStringLiteral("Probe/1"),
                                                QStringLiteral("--header"), QStringLiteral("X-Probe: yes")}, dir);
        QVERIFY2(run.pictures.contains(QStringLiteral("a.gif")), qPrintable(run.pages + run.err));
        for (const QString& path : {page, QStringLiteral("/polite/a.gif"), QStringLiteral("/robots.txt")}) {
            const QByteArray head = site.lastRequestHead(path) + "\r\n";
            QVERIFY2(head.contains("\r\nUser-Agent: Probe/1\r") && head.contains("\r\nX-Probe: yes\r"), head.constData());
        }
    }

    void cookiesSetByTheSiteAreKept_data()
    {
        identityArrives_data();
    }

    // The door's cookie opens the guarded page, and lets the curl session ask what the
    // picture without an extension is.
    void cookiesSetByTheSiteAreKept()
    {
        QFETCH(QString, engine);
        TestRoute guarded = gallery();
        guarded.neededCookie = "visitor=1";
        site.setRoute(QStringLiteral("/polite/visitors.htm"), guarded);
        TestRoute photo;
        photo.contentType = "image/gif";
        photo.body = QByteArray("GIF89a\x01\x00\x01\x00", 10);
        photo.neededCookie = "visitor=1";
        site.setRoute(QStringLiteral("/polite/visitor-photo"), photo);
        TestRoute door = htmlRoute("<html><body><a href=\"/polite/visitors.htm\">in</a><img src=\"/polite/visitor-photo\"></body></html>");
        door.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("visitor=1; Path=/")));
        const QString doorPath = QStringLiteral("/polite/door-%1.htm").arg(engine);
        site.setRoute(doorPath, door);
        const Run run = search(site.url(doorPath), {QStringLiteral("--engine"), engine}, dir);
        QVERIFY2(run.pictures.contains(QStringLiteral("a.gif")), qPrintable(run.pages));
        QVERIFY2(run.pictures.contains(QStringLiteral("visitor-photo")), qPrintable(run.pictures));
    }

    void cookiesOpenAGuardedPage_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("withCookies");
        QTest::addColumn<bool>("picture");
        for (const QString& engine : searchEngines()) {
            QTest::addRow("%s, cookies file", qPrintable(engine)) << engine << true << true;
            QTest::addRow("%s, none", qPrintable(engine)) << engine << false << false;
        }
    }

    void cookiesOpenAGuardedPage()
    {
        QFETCH(QString, engine);
        QFETCH(bool, withCookies);
        QFETCH(bool, picture);
        TestRoute guarded = gallery();
        guarded.neededCookie = "member=yes";
        site.setRoute(QStringLiteral("/polite/members.htm"), guarded);
        QFile cookies(dir.filePath(QStringLiteral("cookies.txt")));
        QVERIFY(cookies.open(QIODevice::WriteOnly));
        cookies.write("# Netscape HTTP Cookie File\n#HttpOnly_127.0.0.1\tFALSE\t/polite\tFALSE\t0\tmember\tyes\n"
                      "127.0.0.1\tFALSE\t/\tFALSE\t1000\told\tgone\n");
        cookies.close();
        const QStringList options = QStringList{QStringLiteral("--engine"), engine}
                                    + (withCookies ? QStringList{QStringLiteral("--cookies"), cookies.fileName()} : QStringList{});
        const Run run = search(site.url(QStringLiteral("/polite/members.htm")), options, dir);
        QCOMPARE(run.pictures.contains(QStringLiteral("a.gif")), picture);
        QCOMPARE(run.err.contains(QStringLiteral("1 expired")), withCookies);
    }
};

QUORVANE_ENGINES_TEST_MAIN(TestPoliteRequests)
#include "test_polite_requests.moc"
