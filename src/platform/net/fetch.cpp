#include "platform/net/fetch.h"

#include "platform/net/web_address.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <optional>

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where a redirect leads, or nothing for a response that is not one.
std::optional<QUrl> redirectTarget(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray location = reply.rawHeader("Location");
    if (!isRedirectStatus(status) || location.isEmpty())
        return std::nullopt;
    return reply.url().resolved(QUrl(QString::fromUtf8(location), QUrl::TolerantMode));
}

} // namespace

Fetch::Fetch(QNetworkAccessManager* network, const QUrl& url, QObject* parent, const FetchLimits& limits)
    : QObject(parent), m_network(network), m_limits(limits)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Fetch::stop);
    m_deadline.start(m_limits.totalTimeoutMs);
    request(url);
}

Fetch::~Fetch()
{
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
    }
    dropReply();
}

void Fetch::request(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_limits.idleTimeoutMs);
    // HTTP/2 where a TLS server offers it; plain http stays HTTP/1.1 with kept-alive
    // connections, six per host, shared by every browser through the one manager.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, true);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/5.0 (compatible; Quorvane)"));
    m_body = QByteArray();
    m_received = 0;
    m_reply = m_network->get(request);
    // Without a bound QtNetwork reads the socket as fast as it can into memory of its own.
    m_reply->setReadBufferSize(kReadBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Fetch::headersArrived);
    connect(m_reply, &QNetworkReply::readyRead, this, &Fetch::readBody);
    // Counted here too: the cap must hold even while readyRead waits.
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > m_limits.bodyLimit)
            stop();
    });
    connect(m_reply, &QNetworkReply::finished, this, &Fetch::complete);
}

void Fetch::headersArrived()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.bodyLimit) {
        stop(); // no use reading what will be cut
        return;
    }
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (m_announced || !status.isValid() || redirectTarget(*m_reply))
        return;
    m_announced = true;
    emit responseArrived(m_reply->url());
}

void Fetch::dropReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void Fetch::stop()
{
    if (m_stopped || !m_reply)
        return;
    m_stopped = true;
    m_reply->abort(); // finishes the reply, and complete() reports the stop
}

void Fetch::readBody()
{
    if (!m_reply || m_stopped || !m_reply->isOpen())
        return;
    for (qint64 available = m_reply->bytesAvailable(); available > 0; available = m_reply->bytesAvailable()) {
        if (m_received + available > m_limits.bodyLimit) {
            stop();
            return;
        }
        if (m_received + available > m_limits.keepLimit) {
            m_body = QByteArray(); // counted from here on, not kept
            m_received += m_reply->skip(available);
            continue;
        }
        const qsizetype kept = m_body.size();
        if (kept + available > m_body.capacity())
            m_body.reserve(std::max<qsizetype>(kept + available, 2 * m_body.capacity()));
        m_body.resize(kept + available);
        const qint64 read = m_reply->read(m_body.data() + kept, available);
        m_body.resize(kept + std::max<qint64>(read, 0));
        if (read <= 0)
            return;
        m_received += read;
    }
}

void Fetch::complete()
{
    if (m_done || !m_reply)
        return;
    readBody();

    FetchResult result;
    result.url = m_reply->url();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.responded = status.isValid() && status.toInt() >= 200;
    result.status = status.toInt();
    // A body shorter than announced was cut off on the way (QtNetwork drops the header
    // when it unpacks a compressed body, so a length still there counts the bytes we read).
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const bool shortBody = length.isValid() && m_received < length.toLongLong();
    result.failed = m_stopped || shortBody || !result.responded || result.status >= 400
                    || m_reply->error() != QNetworkReply::NoError;

    if (const auto target = redirectTarget(*m_reply); target && m_reply->error() == QNetworkReply::NoError) {
        // Never to a local file or another scheme; a redirect loop ends after 20 steps.
        if (isWebAddress(*target) && m_redirects < kMaxRedirects) {
            ++m_redirects;
            dropReply();
            request(*target);
            return;
        }
        result.failed = true;
    }

    m_done = true;
    m_deadline.stop();
    result.contentType = m_reply->rawHeader("Content-Type");
    result.byteSize = m_received;
    result.kept = m_body.size() == m_received;
    result.body = std::move(m_body);
    dropReply();
    if (result.responded && !m_announced) {
        m_announced = true;
        emit responseArrived(result.url);
    }
    emit finished(result);
}
