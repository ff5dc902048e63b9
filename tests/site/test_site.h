#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

// One canned answer of the test site.
struct TestRoute {
    int status = 200;
    QByteArray contentType = "text/html";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // extra response headers, e.g. Location
    bool neverFinish = false; // send the headers and part of the body, then hang
    bool refuseHead = false;  // answer HEAD with 405, as some servers do
    bool honourRange = false; // answer "Range: bytes=a-b" with 206 and that part of the body
    // How the server misbehaves on this route (hostile_routes.cpp has a page for each).
    enum class Fault {
        None,
        EndlessBody,  // no length, bytes at full speed until the client goes
        Trickle,      // a few bytes of the body now and then, never all of them
        CloseMidBody, // half the promised body, then the connection closes
        ResetMidBody, // half the promised body, then the connection is reset
        InterimFirst, // a 103 Early Hints response before the real one
        ProcessingFirst, // a 102 Processing response before the real one
        Chunked,      // the body in chunks, as several writes
        ChunkedCut,   // half the body in chunks, then the connection closes without the last chunk
    };
    Fault fault = Fault::None;
    // A busy or guarded route: its first busyAnswers requests get a 429, with busyRetryAfter
    // as Retry-After when it is set; with neededCookie, a request whose Cookie header lacks
    // it gets a 403.
    int busyAnswers = 0;
    QByteArray busyRetryAfter;
    QByteArray neededCookie;
};

// An answer of the test site with this body, status and type.
inline TestRoute htmlRoute(const QByteArray& body, int status = 200,
                           const QByteArray& contentType = "text/html; charset=utf-8")
{
    TestRoute route;
    route.status = status;
    route.contentType = contentType;
    route.body = body;
    return route;
}

// A small HTTP/1.1 server (persistent connections) on 127.0.0.1 with a free port, started and stopped by the
// tests themselves. Comes with the canned routes of the loopback test site; tests add
// their own with setRoute. Paths are matched with their query, e.g. "/page.htm?id=1".
class TestSite : public QObject {
    Q_OBJECT
public:
    explicit TestSite(QObject* parent = nullptr);
    ~TestSite() override;

    bool listen(quint16 port = 0); // 127.0.0.1 only
    quint16 port() const;
    QString url(const QString& path) const; // "http://127.0.0.1:<port>" + path
    // The same server reached under another host name ("localhost"): another site and
    // another origin for the program, still on this machine.
    QString otherHostUrl(const QString& path) const;

    void setRoute(const QString& path, const TestRoute& route);
    // A body too large to hold, of this declared length, generated while it is sent.
    void setHugeRoute(const QString& path, qint64 bytes) { m_fillerRoutes.insert(path, bytes); }
    int hits(const QString& path) const;
    int headHits(const QString& path) const { return m_headHits.value(path); } // of them HEAD requests
    QStringList requestLog() const; // "<Host header> <path>" per request, in order
    void clearLog();
    // Connections still sending an endless or trickling body.
    int openStreams() const { return int(m_streams.size()); }
    int connectionsAccepted() const { return m_connections; } // since listen()
    QByteArray lastCookies() const { return m_lastCookies; } // the last request's Cookie header
    // The request line and headers of the last request for path, as sent.
    QByteArray lastRequestHead(const QString& path) const { return m_heads.value(path); }
    // The pages of hostile_routes.cpp, each with one normal picture and one normal link.
    void addHostileRoutes();

private:
    void serve(QTcpSocket* socket);
    // False when the connection takes no further request.
    bool respond(QTcpSocket* socket, const QByteArray& method, const QString& path,
                 const QByteArray& host, bool keepAlive);
    void addCannedRoutes(); // canned_routes.cpp
    void sendFiller(QTcpSocket* socket);
    void answerRange(TestRoute& route) const; // by the last request's Range header
    // False when the connection takes no further request.
    bool misbehave(QTcpSocket* socket, const TestRoute& route);

    QTcpServer* m_server = nullptr;
    QHash<QString, TestRoute> m_routes;
    QHash<QString, int> m_hits;
    QHash<QString, int> m_headHits;
    QStringList m_log;
    // Bodies too large to hold: path -> byte size of a generated page, sent in pieces.
    QHash<QString, qint64> m_fillerRoutes;
    struct FillerProgress {
        qint64 sent = 0;
        qint64 total = 0;
    };
    QHash<QTcpSocket*, FillerProgress> m_fillers;
    QSet<QTcpSocket*> m_streams;
    int m_connections = 0;
    QByteArray m_lastCookies;
    QByteArray m_lastHead;
    QHash<QString, QByteArray> m_heads; // path -> its last request's head
    QByteArray m_lastRange; // the last request's Range header
};
