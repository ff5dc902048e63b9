#include "app/site_holds.h"
#include "platform/http/cookies_file.h"
#include "platform/http/fetch.h"
#include "platform/http/http_settings.h"
#include "platform/http/resource_loader.h"
#include "platform/http/retry_after.h"
#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium/profile_cookies.h"
#endif

#include <QTest>

class TestRequestSettings : public QObject {
    Q_OBJECT

private slots:
    void cookieLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("expired");
        QTest::addColumn<int>("malformed");
        QTest::newRow("session cookie") << QByteArray(".example.com\tTRUE\t/\tFALSE\t0\tid\t42") << 1 << 0 << 0;
        QTest::newRow("HttpOnly, CRLF") << QByteArray("#HttpOnly_example.com\tFALSE\t/\tTRUE\t4000000000\tid\t42\r") << 1 << 0 << 0;
        QTest::newRow("empty value, tab dropped") << QByteArray("example.com\tFALSE\t/\tFALSE\t0\tid") << 1 << 0 << 0;
        QTest::newRow("expired") << QByteArray("example.com\tFALSE\t/\tFALSE\t999\tid\t42") << 0 << 1 << 0;
        QTest::newRow("spaces for tabs") << QByteArray("example.com FALSE / FALSE 0 id 42") << 0 << 0 << 1;
        QTest::newRow("expiry not a number") << QByteArray("example.com\tFALSE\t/\tFALSE\tsoon\tid\t42") << 0 << 0 << 1;
        QTest::newRow("flag not a flag") << QByteArray("example.com\tyes\t/\tFALSE\t0\tid\t42") << 0 << 0 << 1;
        QTest::newRow("lone CR inside the value") << QByteArray("example.com\tFALSE\t/\tFALSE\t0\tid\t4\r2") << 0 << 0 << 1;
    }

    void cookieLines()
    {
        QFETCH(QByteArray, line);
        const CookiesFile file = readCookiesText("# Netscape HTTP Cookie File\n\n" + line + '\n', 1000);
        QTEST(int(file.cookies.size()), "kept");
        QTEST(file.expired, "expired");
        QTEST(file.malformed, "malformed");
        if (!file.cookies.isEmpty())
            QCOMPARE(file.cookies.constFirst().count('\t'), 6);
    }

    void headerLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line"); // empty: refused
        QTest::newRow("spaced") << QStringLiteral("X-Probe:  yes ") << QByteArray("X-Probe: yes");
        QTest::newRow("no colon") << QStringLiteral("X-Probe yes") << QByteArray();
        QTest::newRow("no value") << QStringLiteral("Accept:") << QByteArray();
        QTest::newRow("line break") << QStringLiteral("X-Probe: a\r\nHost: b") << QByteArray();
    }

    void headerLines()
    {
        QFETCH(QString, text);
        QTEST(headerLine(text).value_or(QByteArray()), "line");
    }

    void retryAfter_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<double>("seconds"); // -1: not a Retry-After
        QTest::newRow("seconds") << QByteArray(" 120 ") << 120.0;
        QTest::newRow("date") << QByteArray("Sun, 06 Nov 1994 08:49:47 GMT") << 7.0;
        QTest::newRow("date passed") << QByteArray("Sun, 06 Nov 1994 08:49:30 GMT") << 0.0;
        QTest::newRow("words") << QByteArray("later") << -1.0;
    }

    void retryAfter()
    {
        QFETCH(QByteArray, value);
        const QDateTime now(QDate(1994, 11, 6), QTime(8, 49, 40), Qt::UTC);
        QTEST(retryAfterSeconds(value, now).value_or(-1), "seconds");
    }

    void busyRetryWaits_data()
    {
        QTest::addColumn<std::optional<double>>("retryAfter");
        QTest::addColumn<int>("retries");
        QTest::addColumn<int>("waitMs"); // -1: no retry
        const int last = ResourceLoader::kBusyRetries - 1;
        QTest::newRow("not busy") << std::optional<double>() << 0 << -1;
        QTest::newRow("none named, doubled") << std::optional<double>(0) << last << (1000 << last);
        QTest::newRow("named") << std::optional<double>(2.5) << 0 << 2500;
        QTest::newRow("retries used up") << std::optional<double>(1) << last + 1 << -1;
        QTest::newRow("past the longest wait") << std::optional<double>(ResourceLoader::kBusyLongestWaitMs / 1000 + 1) << 0 << -1;
    }

    void busyRetryWaits()
    {
        QFETCH(std::optional<double>, retryAfter);
        QFETCH(int, retries);
        FetchResult result;
        result.retryAfter = retryAfter;
        QTEST(busyRetryWaitMs(result, retries, ResourceLoader::kBusyRetries, ResourceLoader::kBusyLongestWaitMs).value_or(-1),
              "waitMs");
    }

    void holdsAreBounded_data()
    {
        QTest::addColumn<double>("retryAfter");
        QTest::addColumn<int>("retries");
        QTest::newRow("none named") << 0.0 << SiteHolds::kRetriesUnnamed;
        QTest::newRow("named") << 1.0 << SiteHolds::kRetriesNamed;
        QTest::newRow("past the longest wait") << SiteHolds::kLongestWaitSeconds + 1 << 0;
    }

    void holdsAreBounded()
    {
        QFETCH(double, retryAfter);
        SiteHolds holds;
        const QString page = QStringLiteral("http://example.com/a.htm");
        double now = 0;
        int retries = 0;
        while (retries <= SiteHolds::kRetriesNamed && holds.refused(page, retryAfter, now)) {
            ++retries;
            const double release = holds.nextRelease(now).value_or(-1);
            QVERIFY(release > now);
            now = release;
        }
        QTEST(retries, "retries");
        // Another site is never held by this one.
        QVERIFY(holds.refused(QStringLiteral("http://example.com:8080/a.htm"), 5, now));
        QCOMPARE(holds.nextRelease(now), now + 5);
    }

#ifdef QUORVANE_HAVE_WEBENGINE
    void cookiesForTheBrowser_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("origin"); // empty: not taken
        QTest::addColumn<QString>("domain"); // empty: the origin's host alone
        QTest::newRow("host only") << QByteArray("example.com\tFALSE\t/a\tFALSE\t0\tid\t1") << "http://example.com/" << "";
        QTest::newRow("subdomains") << QByteArray(".Example.com\tTRUE\t/\tFALSE\t0\tid\t1") << "http://example.com/" << ".example.com";
        QTest::newRow("secure: from https") << QByteArray("#HttpOnly_example.com\tFALSE\t/\tTRUE\t4000000000\tid\t1") << "https://example.com/" << "";
        QTest::newRow("address by number: host only") << QByteArray("127.0.0.1\tTRUE\t/\tFALSE\t0\tid\t1") << "http://127.0.0.1/" << "";
        QTest::newRow("not a cookie line") << QByteArray("example.com FALSE / FALSE 0 id 1") << "" << "";
    }

    void cookiesForTheBrowser()
    {
        QFETCH(QByteArray, line);
        const std::optional<BrowserCookie> cookie = browserCookie(line);
        QTEST(cookie ? cookie->origin.toString() : QString(), "origin");
        QTEST(cookie ? cookie->cookie.domain() : QString(), "domain");
    }

    void cookiesForCurl_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<qint64>("expiry"); // 0: a session cookie
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QByteArray>("line"); // empty: none
        QTest::newRow("host only, session") << "example.com" << qint64(0) << QByteArray("1") << false << QByteArray("example.com\tFALSE\t/\tFALSE\t0\tid\t1");
        QTest::newRow("subdomains, dated") << ".example.com" << qint64(4000000000) << QByteArray("1") << false << QByteArray(".example.com\tTRUE\t/\tFALSE\t4000000000\tid\t1");
        QTest::newRow("removed: long expired") << "example.com" << qint64(0) << QByteArray("1") << true << QByteArray("example.com\tFALSE\t/\tFALSE\t1\tid\t1");
        QTest::newRow("line break in the value") << "example.com" << qint64(0) << QByteArray("1\nHost: x") << false << QByteArray();
    }

    void cookiesForCurl()
    {
        QFETCH(QString, domain);
        QFETCH(qint64, expiry);
        QFETCH(QByteArray, value);
        QFETCH(bool, removed);
        QNetworkCookie cookie("id", value);
        cookie.setDomain(domain);
        cookie.setPath(QStringLiteral("/"));
        if (expiry != 0)
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
        QTEST(cookiesTxtLine(cookie, removed).value_or(QByteArray()), "line");
    }
#endif
};

QTEST_GUILESS_MAIN(TestRequestSettings)
#include "test_request_settings.moc"
