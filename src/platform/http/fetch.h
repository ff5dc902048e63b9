#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <functional>
#include <optional>

class CurlSession;

// What one transfer may cost. Every bound holds while the bytes arrive, not after.
struct FetchLimits {
    static constexpr qint64 kBodyLimit = 32 * 1024 * 1024;
    static constexpr int kIdleTimeoutMs = 60'000;
    static constexpr int kTotalTimeoutMs = 120'000;

    qint64 bodyLimit = kBodyLimit; // more than this stops the transfer, which then failed
    qint64 keepLimit = kBodyLimit; // a body larger than this is counted, not kept
    int idleTimeoutMs = kIdleTimeoutMs;   // no byte for this long
    int totalTimeoutMs = kTotalTimeoutMs; // the whole transfer, redirects included
    qint64 headBytes = 0; // this much of the body's start is kept apart, whatever else is kept
};

// What a sink says of the bytes it was given.
enum class SinkVerdict { More, Enough, Refuse };
// Receives the body as it arrives instead of the buffer; Enough ends the transfer as a
// success, Refuse as a failure. Called from inside curl: it must not delete the fetch.
using BodySink = std::function<SinkVerdict(QByteArrayView bytes)>;

// What a fetch asks beyond the plain GET.
struct FetchExtras {
    QList<QByteArray> headers; // extra request lines, "Range: bytes=0-65535"
    // Takes the final response's body when its status is below 400; an error response then
    // ends at its headers.
    BodySink sink;
    // Says when the head holds all that it is kept for; it grows no further then.
    std::function<bool(QByteArrayView head)> headIsEnough;
};

// What one GET brought back.
struct FetchResult {
    QUrl url;               // the final address, after redirects
    bool responded = false; // an HTTP status arrived
    int status = 0;
    QByteArray contentType; // the Content-Type header as sent
    QByteArray body;        // empty when the body was larger than the keep limit or went to a sink
    QByteArray head;        // the body's first FetchLimits::headBytes bytes
    qint64 byteSize = 0;    // the length of the body read, kept or not
    bool kept = true;       // body holds all byteSize bytes
    // The whole resource's length: from Content-Range on a 206, else from the Content-Length
    // of a 200 sent without a content encoding; none when the server did not say.
    std::optional<qint64> totalSize;
    bool failed = true;     // no response, a network or TLS error, HTTP status >= 400, cut, short or late
    QString error;          // why it failed, in a few words; empty when it did not
    bool endedEarly = false; // finishNow() ended it: the body is what had arrived by then
    // On a 429 or a 503: the wait the server asked for in seconds, 0 when it named none.
    std::optional<double> retryAfter;
};

// After a 429 or a 503: how long to wait before asking again for the retries-th time
// (counted from 0): the server's wait, else 1 s doubled each time. None when the answer
// was another, the retries are used up, or the wait is longer than longestWaitMs.
std::optional<int> busyRetryWaitMs(const FetchResult& result, int retries, int maxRetries, int longestWaitMs);

// One GET (or HEAD) of an http or https address: redirects followed (at most 20, only to
// http and https), the body taken in pieces as it arrives into a buffer that grows with it
// or handed to a sink, compressed bodies unpacked and counted unpacked, every transfer
// bounded in bytes and in time. Interim responses (1xx) are passed over. Deleting a Fetch aborts it without a signal.
class Fetch : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 20;
    // The most buffer a response's Content-Length reserves before its bytes arrive.
    static constexpr qint64 kReservedBodyBytes = 4 * 1024 * 1024;
    enum class Method { Get, Head };

    // Starts at once; the signals come later from the event loop.
    Fetch(CurlSession* session, const QUrl& url, QObject* parent = nullptr, const FetchLimits& limits = {},
          Method method = Method::Get, const FetchExtras& extras = {});
    ~Fetch() override;

    // Ends the transfer now and finishes at once with what has arrived: not failed when the
    // final response's headers are in with a status below 400, however little of the body
    // came. Does nothing once the fetch has finished.
    void finishNow();

signals:
    // The final response's headers have arrived, or the fetch ended on a redirect it could
    // not follow (not sent for a fetch without response).
    void responseArrived(const QUrl& finalUrl);
    // Sent once, also after a failure.
    void finished(const FetchResult& result);

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* fetch);
    static size_t onBody(char* data, size_t size, size_t count, void* fetch);
    bool headerLine(QByteArrayView line); // false stops the transfer
    bool bodyBytes(const char* data, qsizetype size);
    void announce();
    void checkIdle();
    void stop(); // ends the transfer at once; it failed
    void complete(CURLcode code);
    QString failure(CURLcode code) const;
    void dropHandle();

    QPointer<CurlSession> m_session;
    CURL* m_easy = nullptr;
    curl_slist* m_requestHeaders = nullptr;
    FetchLimits m_limits;
    Method m_method;
    BodySink m_sink;
    std::function<bool(QByteArrayView head)> m_headIsEnough;
    bool m_headDone = false;
    QTimer m_idle; // no byte for the idle limit; curl keeps the total one
    QElapsedTimer m_sinceActivity;
    // The response being read: a redirect or an interim one until the final one is in.
    int m_status = 0;
    QByteArray m_contentType;
    qint64 m_contentLength = -1;
    std::optional<qint64> m_rangeTotal; // from Content-Range
    bool m_encoded = false;             // a Content-Encoding other than identity
    bool m_redirect = false;
    bool m_final = false;
    QUrl m_finalUrl;
    QByteArray m_body;
    QByteArray m_head;
    qint64 m_received = 0;
    bool m_keeping = true;
    enum class Stop { None, BodyLimit, Idle, Sink }; // why the fetch ended the transfer itself
    Stop m_stop = Stop::None;
    bool m_enough = false; // the sink ended the transfer as a success
    bool m_endedEarly = false;
    bool m_announced = false;
    std::optional<double> m_retryAfter; // of the response being read
    char m_curlError[CURL_ERROR_SIZE] = {};
};
