// One transfer's bounds: bytes counted as they arrive, kept only up to a limit, and a
// deadline for the whole transfer as well as for silence; a body cut short is a failure.
// Also what the shared session must get right: redirects, interim responses, compressed
// and chunked bodies, aborts, and connections kept and capped per host.

#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "site/hostile_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

namespace {

constexpr qint64 kAny = -1;

TestRoute gzipRoute(const QByteArray& body, const QByteArray& contentType)
{
    TestRoute route = htmlRoute(gzipped(body), 200, contentType);
    route.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
    return route;
}

TestRoute redirectRoute(const QByteArray& location, int status = 302)
{
    TestRoute route = htmlRoute("moved", status);
    route.headers.append(qMakePair(QByteArray("Location"), location));
    return route;
}

} // namespace

class TestNetEngineFetch : public QObject {
    Q_OBJECT

private:
    TestSite site;
    CurlSession session;

    // The result of a fetch, or nothing when none came in time.
    std::optional<FetchResult> fetch(const QString& path, const FetchLimits& limits = {})
    {
        Fetch fetch(&session, QUrl(site.url(path)), nullptr, limits);
        std::optional<FetchResult> finished;
        connect(&fetch, &Fetch::finished, this, [&finished](const FetchResult& result) { finished = result; });
        if (!QTest::qWaitFor([&finished] { return finished.has_value(); }, 20'000))
            return std::nullopt;
        return finished;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        site.addHostileRoutes();
        const QByteArray page = "<html><body><img src=\"/img/logo.gif\">" + QByteArray(5000, ' ') + "</body></html>";
        site.setRoute(QStringLiteral("/enc/gzip.htm"), gzipRoute(page, "text/html"));
        site.setRoute(QStringLiteral("/enc/bomb.gif"), gzipRoute(QByteArray(8 << 20, '\0'), "image/gif"));

        site.setRoute(QStringLiteral("/r/a"), redirectRoute("/r/b", 301));
        site.setRoute(QStringLiteral("/r/b"), redirectRoute("c", 307));
        site.setRoute(QStringLiteral("/r/c"), redirectRoute(site.url(QStringLiteral("/img/logo.gif")).toUtf8(), 303));
        site.setRoute(QStringLiteral("/r/loop"), redirectRoute("/r/loop"));
        site.setRoute(QStringLiteral("/r/ftp"), redirectRoute("ftp://127.0.0.1/logo.gif"));
        site.setRoute(QStringLiteral("/r/file"), redirectRoute("file:///etc/passwd"));
        site.setRoute(QStringLiteral("/r/gone"), redirectRoute("/no/such/page.htm"));
    }

    void bounds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("bodyLimit");
        QTest::addColumn<qint64>("keepLimit");
        QTest::addColumn<int>("idleMs");
        QTest::addColumn<int>("totalMs");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<qint64>("byteSize"); // kAny: anything up to the body limit
        QTest::addColumn<bool>("kept");

        const qint64 cap = FetchLimits::kBodyLimit;
        const int idle = FetchLimits::kIdleTimeoutMs;
        const int total = FetchLimits::kTotalTimeoutMs;
        QTest::newRow("within every bound") << "/img/logo.gif" << cap << cap << idle << total << false << qint64(2048) << true;
        QTest::newRow("announced length over the cap") << "/img/logo.gif" << qint64(1000) << cap << idle << total << true << kAny << true;
        QTest::newRow("larger than the keep limit is counted") << "/img/logo.gif" << cap << qint64(1000) << idle << total << false << qint64(2048) << false;
        QTest::newRow("endless body stops at the cap") << "/hostile/endless.gif" << qint64(3 << 20) << qint64(1 << 20) << idle << total << true << kAny << false;
        QTest::newRow("huge page stops at the cap") << "/huge.htm" << cap << cap << idle << total << true << kAny << true;
        QTest::newRow("trickle stops at the total deadline") << "/hostile/trickle.gif" << cap << cap << idle << 700 << true << kAny << true;
        QTest::newRow("silence stops at the idle deadline") << "/never.htm" << cap << cap << 500 << total << true << kAny << true;
        QTest::newRow("connection closed mid-body") << "/hostile/closed.htm" << cap << cap << idle << total << true << kAny << true;
        QTest::newRow("connection reset mid-body") << "/hostile/reset.htm" << cap << cap << idle << total << true << kAny << true;
        QTest::newRow("103 before the response") << "/hostile/interim.htm" << cap << cap << idle << total << false << kAny << true;
        QTest::newRow("102 before the response") << "/hostile/processing.htm" << cap << cap << idle << total << false << kAny << true;
        QTest::newRow("chunked body") << "/hostile/chunked.htm" << cap << cap << idle << total << false << kAny << true;
        QTest::newRow("chunked body without its last chunk") << "/hostile/chunked_cut.htm" << cap << cap << idle << total << true << kAny << true;
        QTest::newRow("gzip body counted unpacked") << "/enc/gzip.htm" << cap << cap << idle << total << false << qint64(5051) << true;
        QTest::newRow("gzip bomb stops at the cap") << "/enc/bomb.gif" << qint64(1 << 20) << cap << idle << total << true << kAny << true;
    }
    void bounds()
    {
        QFETCH(QString, path);
        QFETCH(qint64, bodyLimit);
        QFETCH(qint64, keepLimit);
        QFETCH(int, idleMs);
        QFETCH(int, totalMs);
        QFETCH(bool, failed);
        QFETCH(qint64, byteSize);
        QFETCH(bool, kept);

        const std::optional<FetchResult> finished = fetch(path, FetchLimits{bodyLimit, keepLimit, idleMs, totalMs});
        QVERIFY(finished);
        const FetchResult& result = *finished;
        QCOMPARE(result.failed, failed);
        QVERIFY2(result.byteSize <= bodyLimit, qPrintable(QString::number(result.byteSize)));
        if (byteSize != kAny)
            QCOMPARE(result.byteSize, byteSize);
        QCOMPARE(result.kept, kept);
        QCOMPARE(result.body.size(), kept ? result.byteSize : 0);
        if (!failed) {
            // The final response's, not an interim one's.
            QCOMPARE(result.status, 200);
            QVERIFY(!result.contentType.isEmpty());
        }
        if (!failed && path.endsWith(QLatin1String(".htm")))
            QVERIFY(result.body.contains("<img src=\"/img/logo.gif\">"));
        // The server sees the transfer end: nothing streams on.
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
    }

    // What a fetch asks beyond the plain GET: a range, a sink for the body, the body's start.
    void extras_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<int>("sinkStopsAfter"); // bytes; -1: no sink, 0: a sink that never stops
        QTest::addColumn<int>("verdict");        // the sink's answer once it has them
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("status");
        QTest::addColumn<qint64>("byteSize"); // kAny: more than sinkStopsAfter, under the cap
        QTest::addColumn<qint64>("totalSize"); // kAny: none
        QTest::addColumn<QByteArray>("head");

        const int more = int(SinkVerdict::More);
        const int enough = int(SinkVerdict::Enough);
        const int refuse = int(SinkVerdict::Refuse);
        const qint64 picture = kProbePictureBytes;
        const QByteArray first = "Range: bytes=0-65535";
        const QByteArray png("\x89PNG\r\n", 6);
        const QByteArray html = "<html>";
        const QByteArray none;
        QTest::newRow("range honoured") << "/hostile/probe/ranged.png" << first << -1 << more << false << 206
                                        << qint64(65536) << picture << png;
        QTest::newRow("range ignored") << "/hostile/probe/whole.png" << first << -1 << more << false << 200 << picture
                                       << picture << png;
        QTest::newRow("gzip body has no known total") << "/enc/gzip.htm" << QByteArray() << -1 << more << false
                                                      << 200 << qint64(5051) << kAny << html;
        QTest::newRow("sink has enough of an endless body") << "/hostile/endless.gif" << QByteArray() << 100'000
                                                            << enough << false << 200 << kAny << kAny << html;
        QTest::newRow("sink refuses") << "/hostile/probe/whole.png" << QByteArray() << 1 << refuse << true << 200
                                      << kAny << picture << png;
        QTest::newRow("sink not fed an error page") << "/no/such/picture.png" << QByteArray() << 0 << more << true
                                                    << 404 << qint64(0) << kAny << none;
    }
    void extras()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, range);
        QFETCH(int, sinkStopsAfter);
        QFETCH(int, verdict);
        QFETCH(bool, failed);
        QFETCH(int, status);
        QFETCH(qint64, byteSize);
        QFETCH(qint64, totalSize);
        QFETCH(QByteArray, head);

        const qint64 cap = 3 << 20;
        FetchExtras extras;
        if (!range.isEmpty())
            extras.headers.append(range);
        qint64 sunk = 0;
        if (sinkStopsAfter >= 0) {
            extras.sink = [&sunk, sinkStopsAfter, verdict](QByteArrayView bytes) {
                sunk += bytes.size();
                return sinkStopsAfter > 0 && sunk >= sinkStopsAfter ? SinkVerdict(verdict) : SinkVerdict::More;
            };
        }
        FetchLimits limits{cap, 0};
        limits.headBytes = 6;
        Fetch fetch(&session, QUrl(site.url(path)), nullptr, limits, Fetch::Method::Get, extras);
        QSignalSpy finished(&fetch, &Fetch::finished);
        QVERIFY(finished.wait(20'000));
        const auto result = finished.at(0).at(0).value<FetchResult>();

        QCOMPARE(result.failed, failed);
        QCOMPARE(result.status, status);
        if (byteSize == kAny)
            QVERIFY2(result.byteSize >= sinkStopsAfter && result.byteSize <= cap,
                     qPrintable(QString::number(result.byteSize)));
        else
            QCOMPARE(result.byteSize, byteSize);
        QCOMPARE(result.totalSize, totalSize == kAny ? std::nullopt : std::optional<qint64>(totalSize));
        // Nothing kept but the start, whether a sink took the body or the keep limit let it go.
        QVERIFY(result.body.isEmpty());
        QCOMPARE(result.head, head);
        if (sinkStopsAfter >= 0)
            QCOMPARE(sunk, result.byteSize);
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
    }

    // A head told it holds enough grows no further: curl hands the body over in pieces of at
    // most CURL_MAX_WRITE_SIZE, and the first one is enough here.
    void headEndsOnceEnough()
    {
        FetchLimits limits{3 << 20, 0};
        limits.headBytes = 64 * 1024;
        FetchExtras extras;
        extras.headIsEnough = [](QByteArrayView head) { return !head.isEmpty(); };
        Fetch fetch(&session, QUrl(site.url("/hostile/probe/whole.png")), nullptr, limits, Fetch::Method::Get, extras);
        QSignalSpy finished(&fetch, &Fetch::finished);
        QVERIFY(finished.wait(20'000));
        const auto result = finished.at(0).at(0).value<FetchResult>();
        QVERIFY(!result.failed);
        QCOMPARE(result.byteSize, qint64(kProbePictureBytes));
        QVERIFY(result.head.startsWith("\x89PNG"));
        QVERIFY2(result.head.size() <= CURL_MAX_WRITE_SIZE, qPrintable(QString::number(result.head.size())));
    }

    void redirects_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("finalPath"); // where the fetch ended
        QTest::addColumn<int>("requests"); // made to the site

        QTest::newRow("chain of three, relative and absolute") << "/r/a" << false << 200 << "/img/logo.gif" << 4;
        QTest::newRow("loop ends after twenty steps") << "/r/loop" << true << 302 << "/r/loop" << Fetch::kMaxRedirects + 1;
        QTest::newRow("to ftp") << "/r/ftp" << true << 302 << "/r/ftp" << 1;
        QTest::newRow("to a local file") << "/r/file" << true << 302 << "/r/file" << 1;
        QTest::newRow("to a missing page") << "/r/gone" << true << 404 << "/no/such/page.htm" << 2;
    }
    void redirects()
    {
        QFETCH(QString, path);
        QFETCH(bool, failed);
        QFETCH(int, status);
        QFETCH(QString, finalPath);
        QFETCH(int, requests);

        site.clearLog();
        Fetch fetch(&session, QUrl(site.url(path)));
        QSignalSpy arrived(&fetch, &Fetch::responseArrived);
        QSignalSpy finished(&fetch, &Fetch::finished);
        QVERIFY(finished.wait(20'000));
        const auto result = finished.at(0).at(0).value<FetchResult>();
        QCOMPARE(result.failed, failed);
        QCOMPARE(result.status, status);
        QCOMPARE(site.requestLog().size(), requests);
        // Announced once, for the last response only.
        QCOMPARE(arrived.size(), 1);
        QCOMPARE(arrived.at(0).at(0).toUrl(), QUrl(site.url(finalPath)));
        QCOMPARE(result.url, QUrl(site.url(finalPath)));
    }

    // Deleted at any moment, a fetch sends nothing more and the server sees it go.
    void deletedFetchEndsAtOnce_data()
    {
        QTest::addColumn<QString>("when");
        QTest::newRow("before it connects") << "start";
        QTest::newRow("from its response signal") << "response";
        QTest::newRow("in the middle of the body") << "body";
    }
    void deletedFetchEndsAtOnce()
    {
        QFETCH(QString, when);
        auto* fetch = new Fetch(&session, QUrl(site.url(QStringLiteral("/hostile/trickle.gif"))));
        QPointer<Fetch> alive(fetch);
        int finishedSignals = 0;
        connect(fetch, &Fetch::finished, this, [&finishedSignals] { ++finishedSignals; });
        if (when == QLatin1String("start"))
            delete fetch;
        else if (when == QLatin1String("response"))
            connect(fetch, &Fetch::responseArrived, this, [fetch] { delete fetch; });
        else if (QTest::qWaitFor([this] { return site.openStreams() == 1; }, 10'000))
            delete fetch;
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 10'000);
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
        QTest::qWait(100);
        QCOMPARE(finishedSignals, 0);
    }

    // One connection for pages fetched one after another; never more than six at once.
    void connectionsKeptAndCapped_data()
    {
        QTest::addColumn<int>("atOnce");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("maxConnections");
        QTest::newRow("one after another") << 1 << 5 << 1;
        QTest::newRow("twelve at once, twice") << 12 << 2 << int(CurlSession::kConnectionsPerHost);
    }
    void connectionsKeptAndCapped()
    {
        QFETCH(int, atOnce);
        QFETCH(int, rounds);
        QFETCH(int, maxConnections);

        CurlSession fresh;
        const int before = site.connectionsAccepted();
        for (int round = 0; round < rounds; ++round) {
            std::vector<std::unique_ptr<Fetch>> fetches;
            int succeeded = 0;
            for (int i = 0; i < atOnce; ++i) {
                fetches.push_back(std::make_unique<Fetch>(&fresh, QUrl(site.url(QStringLiteral("/img/logo.gif")))));
                connect(fetches.back().get(), &Fetch::finished, this,
                        [&succeeded](const FetchResult& result) { succeeded += result.failed ? 0 : 1; });
            }
            QTRY_COMPARE_WITH_TIMEOUT(succeeded, atOnce, 10'000);
        }
        const int opened = site.connectionsAccepted() - before;
        QVERIFY2(opened >= 1 && opened <= maxConnections, qPrintable(QString::number(opened)));
    }

    // Cookies a server sets go back to it on later requests of the session, to no other host.
    void cookiesKeptForTheirHost_data()
    {
        QTest::addColumn<bool>("otherHost");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("same host") << false << QByteArray("session=abc");
        QTest::newRow("another host") << true << QByteArray();
    }
    void cookiesKeptForTheirHost()
    {
        QFETCH(bool, otherHost);
        QFETCH(QByteArray, sent);
        CurlSession fresh;
        TestRoute setter = htmlRoute("set");
        setter.headers.append(qMakePair(QByteArray("Set-Cookie"), QByteArray("session=abc; Path=/")));
        site.setRoute(QStringLiteral("/c/set"), setter);
        for (const QString& address : {site.url(QStringLiteral("/c/set")),
                                       otherHost ? site.otherHostUrl(QStringLiteral("/img/logo.gif"))
                                                 : site.url(QStringLiteral("/img/logo.gif"))}) {
            Fetch fetch(&fresh, QUrl(address));
            QSignalSpy finished(&fetch, &Fetch::finished);
            QVERIFY(finished.wait(10'000));
        }
        QCOMPARE(site.lastCookies(), sent);
    }

    // A proxy named in the environment is not asked: the program talks to the server itself.
    void environmentProxyIgnored()
    {
        TestSite proxy;
        QVERIFY(proxy.listen());
        qputenv("http_proxy", proxy.url(QString()).toUtf8());
        const std::optional<FetchResult> result = fetch(QStringLiteral("/img/logo.gif"));
        qunsetenv("http_proxy");
        QVERIFY(result);
        QVERIFY(!result->failed);
        QCOMPARE(proxy.requestLog(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestNetEngineFetch)
#include "test_net_engine_fetch.moc"
