#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// What one GET brought back.
struct FetchResult {
    QUrl url;               // the final address, after redirects
    bool responded = false; // an HTTP status arrived
    int status = 0;
    QByteArray contentType; // the Content-Type header as sent
    QByteArray body;
    bool failed = true;     // no response, a network or TLS error, HTTP status >= 400, or cut
};

// One GET of an http or https address: redirects followed (at most 20, never to another
// scheme), a body larger than the limit cut off and counted as failed, every transfer
// bounded in time. Deleting a Fetch aborts it without a signal. Redirects are followed
// here, one fresh request per step, because QtNetwork 6.4 carries the headers of each
// redirect over into the next response and ends redirect loops with an empty success.
class Fetch : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kBodyLimit = 32 * 1024 * 1024;
    static constexpr int kMaxRedirects = 20;
    static constexpr int kTransferTimeoutMs = 60'000;

    // Starts at once; the signals come later from the event loop.
    Fetch(QNetworkAccessManager* network, const QUrl& url, QObject* parent = nullptr,
          qint64 bodyLimit = kBodyLimit);
    ~Fetch() override;

signals:
    // The final response's headers have arrived (not sent for a fetch without response).
    void responseArrived(const QUrl& finalUrl);
    // Sent once, also after a failure.
    void finished(const FetchResult& result);

private:
    void request(const QUrl& url);
    void readBody();
    void complete();
    void dropReply();

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    qint64 m_bodyLimit;
    int m_redirects = 0;
    QByteArray m_body;
    bool m_cut = false;
    bool m_announced = false;
    bool m_done = false;
};
