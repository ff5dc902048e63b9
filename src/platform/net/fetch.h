#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// What one transfer may cost. Every bound holds while the bytes arrive, not after.
struct FetchLimits {
    static constexpr qint64 kBodyLimit = 32 * 1024 * 1024;
    static constexpr int kIdleTimeoutMs = 60'000;
    static constexpr int kTotalTimeoutMs = 120'000;

    qint64 bodyLimit = kBodyLimit; // more than this stops the transfer, which then failed
    qint64 keepLimit = kBodyLimit; // a body larger than this is counted, not kept
    int idleTimeoutMs = kIdleTimeoutMs;   // no byte for this long
    int totalTimeoutMs = kTotalTimeoutMs; // the whole transfer, redirects included
};

// What one GET brought back.
struct FetchResult {
    QUrl url;               // the final address, after redirects
    bool responded = false; // an HTTP status arrived
    int status = 0;
    QByteArray contentType; // the Content-Type header as sent
    QByteArray body;        // empty when the body was larger than the keep limit
    qint64 byteSize = 0;    // the length of the whole body, kept or not
    bool kept = true;       // body holds all byteSize bytes
    bool failed = true;     // no response, a network or TLS error, HTTP status >= 400, cut, short or late
};

// One GET of an http or https address: redirects followed (at most 20, never to another
// scheme), the body read in pieces as it arrives into a buffer that grows with it, every
// transfer bounded in bytes and in time. Deleting a Fetch aborts it without a signal.
// Redirects are followed here, one fresh request per step, because QtNetwork 6.4 carries
// the headers of each redirect over into the next response and ends redirect loops with
// an empty success.
class Fetch : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 20;
    // What QtNetwork may hold for us before it stops reading the socket.
    static constexpr qint64 kReadBufferBytes = 1024 * 1024;

    // Starts at once; the signals come later from the event loop.
    Fetch(QNetworkAccessManager* network, const QUrl& url, QObject* parent = nullptr,
          const FetchLimits& limits = {});
    ~Fetch() override;

signals:
    // The final response's headers have arrived (not sent for a fetch without response).
    void responseArrived(const QUrl& finalUrl);
    // Sent once, also after a failure.
    void finished(const FetchResult& result);

private:
    void request(const QUrl& url);
    void headersArrived();
    void readBody();
    void stop(); // ends the transfer at once; complete() reports it failed
    void complete();
    void dropReply();

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    FetchLimits m_limits;
    QTimer m_deadline;
    int m_redirects = 0;
    QByteArray m_body;
    qint64 m_received = 0;
    bool m_stopped = false;
    bool m_announced = false;
    bool m_done = false;
};
