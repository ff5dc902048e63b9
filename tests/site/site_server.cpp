#include "site/modern_routes.h"
#include "site/test_site.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <limits>
#include <memory>

#include <sys/socket.h>

namespace {

constexpr qsizetype kMaxRequestHead = 64 * 1024;
constexpr qint64 kFillerPiece = 256 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 102: return "Processing";
    case 103: return "Early Hints";
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

// A contentLength below 0 sends no length: the body ends when the connection does.
QByteArray responseHead(int status, const QByteArray& contentType, qint64 contentLength,
                        const QList<QPair<QByteArray, QByteArray>>& extra, bool closing)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    if (contentLength >= 0)
        head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    for (const auto& [name, value] : extra)
        head += name + ": " + value + "\r\n";
    if (closing)
        head += "Connection: close\r\n";
    head += "\r\n";
    return head;
}

const QByteArray kFillerStart = "<html><head><title>Huge</title></head><body>\n";
const QByteArray kFillerLine = "<p>Filler text that only makes this page very long.</p>\n";

// The bytes [offset, offset + count) of a generated page: a head, then one line repeated.
QByteArray fillerBytes(qint64 offset, qint64 count)
{
    QByteArray out;
    out.reserve(count);
    while (count > 0) {
        if (offset < kFillerStart.size()) {
            const QByteArray piece = kFillerStart.mid(offset, count);
            out += piece;
            offset += piece.size();
            count -= piece.size();
            continue;
        }
        const qint64 inLine = (offset - kFillerStart.size()) % kFillerLine.size();
        const QByteArray piece = kFillerLine.mid(inLine, count);
        out += piece;
        offset += piece.size();
        count -= piece.size();
    }
    return out;
}

} // namespace

TestSite::TestSite(QObject* parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            ++m_connections;
            serve(socket);
        }
    });
}

TestSite::~TestSite() = default;

bool TestSite::listen(quint16 port)
{
    if (!m_server->listen(QHostAddress::LocalHost, port))
        return false;
    addCannedRoutes();
    addModernRoutes(*this);
    return true;
}

quint16 TestSite::port() const
{
    return m_server->serverPort();
}

QString TestSite::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

QString TestSite::otherHostUrl(const QString& path) const
{
    return QStringLiteral("http://localhost:%1%2").arg(port()).arg(path);
}

void TestSite::setRoute(const QString& path, const TestRoute& route)
{
    m_routes.insert(path, route);
}

int TestSite::hits(const QString& path) const
{
    return m_hits.value(path);
}

QStringList TestSite::requestLog() const
{
    return m_log;
}

void TestSite::clearLog()
{
    m_log.clear();
    m_hits.clear();
    m_headHits.clear();
}

void TestSite::serve(QTcpSocket* socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] {
        m_fillers.remove(socket);
        m_streams.remove(socket);
    });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
        *received += socket->readAll();
        // Not HTTP (a TLS handshake, say): close at once rather than wait for a request.
        if (!received->isEmpty() && !(received->at(0) >= 'A' && received->at(0) <= 'Z')) {
            socket->abort();
            return;
        }
        // Requests without a body, one after the other on the same connection.
        for (;;) {
            const qsizetype headEnd = received->indexOf("\r\n\r\n");
            if (headEnd < 0) {
                if (received->size() > kMaxRequestHead)
                    socket->abort();
                return;
            }
            m_lastHead = received->left(headEnd);
            const QList<QByteArray> lines = m_lastHead.split('\n');
            received->remove(0, headEnd + 4);
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            QByteArray host;
            m_lastCookies.clear();
            m_lastRange.clear();
            bool keepAlive = requestLine.value(2) == "HTTP/1.1";
            for (const QByteArray& line : lines.mid(1)) {
                const qsizetype colon = line.indexOf(':');
                const QByteArray name = line.left(colon).trimmed().toLower();
                const QByteArray value = line.mid(colon + 1).trimmed();
                if (colon > 0 && name == "host")
                    host = value;
                else if (colon > 0 && name == "cookie")
                    m_lastCookies = value;
                else if (colon > 0 && name == "range")
                    m_lastRange = value;
                else if (colon > 0 && name == "connection" && value.toLower().contains("close"))
                    keepAlive = false;
            }
            if (!respond(socket, requestLine.value(0), QString::fromLatin1(requestLine.value(1)), host,
                         keepAlive)) {
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                return;
            }
        }
    });
}

bool TestSite::respond(QTcpSocket* socket, const QByteArray& method, const QString& target,
                       const QByteArray& host, bool keepAlive)
{
    // A route may be set with the path as sent or with its percent escapes decoded.
    QString path = target;
    const QString decoded = QUrl::fromPercentEncoding(target.toLatin1());
    if (!m_routes.contains(path) && m_routes.contains(decoded))
        path = decoded;
    ++m_hits[path];
    m_heads.insert(path, m_lastHead);
    m_log.append(QString::fromLatin1(host) + QLatin1Char(' ') + path);
    const bool headOnly = method == "HEAD";
    m_headHits[path] += headOnly;

    const auto filler = m_fillerRoutes.constFind(path);
    if (!m_routes.contains(path) && filler != m_fillerRoutes.constEnd()) {
        socket->write(responseHead(200, "text/html", *filler, {}, true));
        if (headOnly) {
            socket->disconnectFromHost();
            return false;
        }
        m_fillers.insert(socket, FillerProgress{0, *filler});
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { sendFiller(socket); });
        sendFiller(socket);
        return false;
    }

    TestRoute route;
    if (const auto found = m_routes.constFind(path); found != m_routes.constEnd()) {
        route = *found;
    } else {
        route.status = 404;
        route.body = "<html><head><title>Not found</title></head><body>Not found</body></html>";
    }
    if (m_hits.value(path) <= route.busyAnswers) {
        route.status = 429;
        route.body = "busy";
        if (!route.busyRetryAfter.isEmpty())
            route.headers.append(qMakePair(QByteArray("Retry-After"), route.busyRetryAfter));
    } else if (!route.neededCookie.isEmpty() && !m_lastCookies.contains(route.neededCookie)) {
        route.status = 403;
        route.body = "members only";
    }
    if (headOnly && route.refuseHead) {
        route.status = 405;
        route.contentType = "text/html";
    }
    if (route.fault != TestRoute::Fault::None && !headOnly)
        return misbehave(socket, route);
    if (route.honourRange && route.status == 200 && m_lastRange.startsWith("bytes="))
        answerRange(route);
    if (route.neverFinish) {
        // Promise the whole body, send half of it, and keep the connection open.
        socket->write(responseHead(route.status, route.contentType, route.body.size() + 1, route.headers, true));
        if (!headOnly)
            socket->write(route.body.left(route.body.size() / 2));
        return false;
    }
    socket->write(responseHead(route.status, route.contentType, route.body.size(), route.headers, !keepAlive));
    if (!headOnly)
        socket->write(route.body);
    if (!keepAlive)
        socket->disconnectFromHost();
    return keepAlive;
}

void TestSite::answerRange(TestRoute& route) const
{
    // One range, "first-last" or "first-", as servers of static files answer it.
    const QList<QByteArray> bounds = m_lastRange.mid(6).split('-');
    const qint64 size = route.body.size();
    bool ok = false;
    const qint64 first = bounds.value(0).toLongLong(&ok);
    if (!ok || first >= size || bounds.size() != 2)
        return; // the whole body, as servers do that know no better
    qint64 last = bounds.at(1).isEmpty() ? size - 1 : bounds.at(1).toLongLong();
    last = std::min(last, size - 1);
    route.status = 206;
    route.body = route.body.mid(first, last - first + 1);
    route.headers.append(qMakePair(QByteArray("Content-Range"),
                                   "bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
                                       + QByteArray::number(size)));
}

void TestSite::sendFiller(QTcpSocket* socket)
{
    const auto filler = m_fillers.find(socket);
    if (filler == m_fillers.end() || socket->bytesToWrite() > kFillerPiece)
        return;
    if (filler->sent == filler->total) {
        m_fillers.erase(filler);
        socket->disconnectFromHost();
        return;
    }
    const qint64 piece = std::min(filler->total - filler->sent, kFillerPiece);
    const qint64 offset = filler->sent;
    filler->sent += piece;
    socket->write(fillerBytes(offset, piece));
}

bool TestSite::misbehave(QTcpSocket* socket, const TestRoute& route)
{
    using Fault = TestRoute::Fault;
    const QByteArray half = route.body.left(route.body.size() / 2);
    switch (route.fault) {
    case Fault::None:
        break;
    case Fault::InterimFirst:
    case Fault::ProcessingFirst:
        socket->write(route.fault == Fault::InterimFirst
                          ? "HTTP/1.1 103 Early Hints\r\nLink: </css/site.css>; rel=preload\r\n\r\n"
                          : "HTTP/1.1 102 Processing\r\n\r\n");
        socket->write(responseHead(route.status, route.contentType, route.body.size(), route.headers, true));
        socket->write(route.body);
        socket->disconnectFromHost();
        break;
    case Fault::EndlessBody:
        socket->write(responseHead(route.status, route.contentType, -1, route.headers, true));
        m_streams.insert(socket);
        m_fillers.insert(socket, FillerProgress{0, std::numeric_limits<qint64>::max()});
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { sendFiller(socket); });
        sendFiller(socket);
        break;
    case Fault::Trickle: {
        socket->write(responseHead(route.status, route.contentType, route.body.size() * 1000, route.headers, true));
        m_streams.insert(socket);
        auto* tick = new QTimer(socket);
        // The body from its start, a slice at a time, over and over.
        connect(tick, &QTimer::timeout, socket, [socket, body = route.body, sent = qsizetype(0)]() mutable {
            socket->write(body.mid(sent % body.size(), 16));
            sent += 16;
        });
        tick->start(50);
        break;
    }
    case Fault::Chunked:
    case Fault::ChunkedCut: {
        auto headers = route.headers;
        headers.append(qMakePair(QByteArray("Transfer-Encoding"), QByteArray("chunked")));
        socket->write(responseHead(route.status, route.contentType, -1, headers, true));
        const QByteArray sent = route.fault == Fault::Chunked ? route.body : half;
        for (qsizetype at = 0; at < sent.size(); at += 1000) {
            const QByteArray chunk = sent.mid(at, 1000);
            socket->write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
            socket->flush();
        }
        if (route.fault == Fault::Chunked)
            socket->write("0\r\n\r\n");
        socket->disconnectFromHost();
        break;
    }
    case Fault::CloseMidBody:
    case Fault::ResetMidBody:
        socket->write(responseHead(route.status, route.contentType, route.body.size(), route.headers, true));
        socket->write(half);
        socket->flush();
        if (route.fault == Fault::CloseMidBody) {
            socket->disconnectFromHost();
            break;
        }
        // A zero linger time makes closing send a reset instead of the usual goodbye.
        const linger reset{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        socket->abort();
        break;
    }
    return false;
}
