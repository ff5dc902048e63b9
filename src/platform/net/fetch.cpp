#include "platform/net/fetch.h"

#include "platform/net/web_address.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

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

Fetch::Fetch(QNetworkAccessManager* network, const QUrl& url, QObject* parent, qint64 bodyLimit)
    : QObject(parent), m_network(network), m_bodyLimit(bodyLimit)
{
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
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("Mozilla/5.0 (compatible; Quorvane)"));
    m_body.clear();
    m_cut = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (m_announced || !status.isValid() || redirectTarget(*m_reply))
            return;
        m_announced = true;
        emit responseArrived(m_reply->url());
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &Fetch::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &Fetch::complete);
}

void Fetch::dropReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
}

void Fetch::readBody()
{
    if (!m_reply || m_cut || !m_reply->isOpen())
        return;
    const qint64 room = m_bodyLimit - m_body.size();
    m_body += m_reply->read(room);
    if (m_reply->bytesAvailable() > 0) {
        m_cut = true;
        m_reply->abort(); // finishes the reply, and complete() reports the cut
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
    result.failed = m_cut || !result.responded || result.status >= 400
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
    result.contentType = m_reply->rawHeader("Content-Type");
    result.body = std::move(m_body);
    dropReply();
    if (result.responded && !m_announced) {
        m_announced = true;
        emit responseArrived(result.url);
    }
    emit finished(result);
}
