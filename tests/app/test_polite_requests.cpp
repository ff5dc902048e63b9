#include "app/headless/run_headless.h"
#include "app/site_holds.h"
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

    void retryAfterIsWaitedFor()
    {
        TestRoute busy = gallery();
        busy.busyAnswers = 1;
        busy.busyRetryAfter = "2";
        site.setRoute(QStringLiteral("/polite/busy.htm"), busy);
        site.clearLog();
        QElapsedTimer clock;
        clock.start();
        const Run run = search(site.url(QStringLiteral("/polite/busy.htm")), {}, dir);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.pages.contains(QStringLiteral("提取完成")), qPrintable(run.pages));
        QVERIFY(run.pictures.contains(QStringLiteral("a.gif")));
        QCOMPARE(site.hits(QStringLiteral("/polite/busy.htm")), 2);
        // The page again, and only then its picture.
        const QStringList log = site.requestLog();
        QVERIFY2(log.indexOf(QRegularExpression(QStringLiteral(".* /polite/a.gif"))) > log.lastIndexOf(QRegularExpression(QStringLiteral(".* /polite/busy.htm"))), qPrintable(log.join(u'\n')));
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

    void cookiesSetByTheSiteAreKept()
    {
        TestRoute guarded = gallery();
        guarded.neededCookie = "visitor=1";
        site.setRoute(QStringLiteral("/polite/visitors.htm"), guarded);
        TestRoute door = htmlRoute("<html><body><a href=\"/polite/visitors.htm\">in</a></body></html>");
        door.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("visitor=1; Path=/")));
        site.setRoute(QStringLiteral("/polite/door.htm"), door);
        const Run run = search(site.url(QStringLiteral("/polite/door.htm")), {}, dir);
        QVERIFY2(run.pictures.contains(QStringLiteral("a.gif")), qPrintable(run.pages));
    }

    void cookiesOpenAGuardedPage_data()
    {
        QTest::addColumn<bool>("withCookies");
        QTest::addColumn<bool>("picture");
        QTest::newRow("cookies file") << true << true;
        QTest::newRow("none") << false << false;
    }

    void cookiesOpenAGuardedPage()
    {
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
        const QStringList options = withCookies ? QStringList{QStringLiteral("--cookies"), cookies.fileName()} : QStringList{};
        const Run run = search(site.url(QStringLiteral("/polite/members.htm")), options, dir);
        QCOMPARE(run.pictures.contains(QStringLiteral("a.gif")), picture);
        QCOMPARE(run.err.contains(QStringLiteral("1 expired")), withCookies);
    }
};

QTEST_GUILESS_MAIN(TestPoliteRequests)
#include "test_polite_requests.moc"
