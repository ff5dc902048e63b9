#include "platform/net/net_type_probe.h"

#include "platform/net/web_address.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace {

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int statusOf(const QNetworkReply& reply)
{
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

NetTypeProbe::NetTypeProbe(QNetworkAccessManager* network, const UrlCache* cache, QObject* parent)
    : TypeProbe(parent), m_network(network), m_cache(cache)
{
}

std::optional<QString> NetTypeProbe::knownType(const QString& address) const
{
    if (const auto answer = m_answers.constFind(address); answer != m_answers.constEnd())
        return *answer;
    if (m_cache) {
        if (const std::optional<QString> type = m_cache->contentType(address); type && !type->isEmpty())
            return type;
    }
    return std::nullopt;
}

void NetTypeProbe::ask(const QString& address)
{
    if (const std::optional<QString> type = knownType(address)) {
        QMetaObject::invokeMethod(
            this, [this, address, known = *type] { emit answered(address, known); }, Qt::QueuedConnection);
        return;
    }
    if (m_asked.contains(address))
        return;
    m_asked.insert(address);
    m_queue.enqueue(address);
    pump();
}

void NetTypeProbe::pump()
{
    while (m_running < kQuestionsAtOnce && !m_queue.isEmpty()) {
        const QString address = m_queue.dequeue();
        ++m_running;
        const QUrl url(address);
        if (!m_network || !isWebAddress(url)) {
            QMetaObject::invokeMethod(this, [this, address] { finish(address, QString()); },
                                      Qt::QueuedConnection);
            continue;
        }
        request(address, url, true, 0);
    }
}

void NetTypeProbe::request(const QString& address, const QUrl& url, bool head, int redirects)
{
    QNetworkRequest outgoing(url);
    outgoing.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    outgoing.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    outgoing.setTransferTimeout(kTimeoutMs);
    outgoing.setHeader(QNetworkRequest::UserAgentHeader,
                       QByteArrayLiteral("Mozilla/5.0 (compatible; Quorvane)"));
    QNetworkReply* reply = head ? m_network->head(outgoing) : m_network->get(outgoing);
    reply->setParent(this); // aborted with the probe
    // A GET ends once its headers are in: the body is not wanted.
    auto headers = std::make_shared<std::optional<QString>>();
    if (!head) {
        connect(reply, &QNetworkReply::metaDataChanged, this, [reply, headers] {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (headers->has_value() || !status.isValid() || isRedirectStatus(status.toInt()))
                return;
            *headers = status.toInt() < 400 ? QString::fromLatin1(reply->rawHeader("Content-Type")) : QString();
            reply->abort();
        });
    }
    connect(reply, &QNetworkReply::finished, this, [this, reply, address, head, redirects, headers] {
        reply->deleteLater();
        if (headers->has_value()) {
            finish(address, **headers);
            return;
        }
        const int status = statusOf(*reply);
        const QByteArray location = reply->rawHeader("Location");
        if (isRedirectStatus(status) && !location.isEmpty()) {
            const QUrl target = reply->url().resolved(QUrl(QString::fromUtf8(location), QUrl::TolerantMode));
            if (isWebAddress(target) && redirects < kMaxRedirects && m_network) {
                this->request(address, target, head, redirects + 1);
                return;
            }
            finish(address, QString());
            return;
        }
        if (head && (status == 405 || status == 501) && m_network) {
            this->request(address, reply->url(), false, redirects);
            return;
        }
        const bool answered = reply->error() == QNetworkReply::NoError && status >= 200 && status < 400;
        finish(address, answered ? QString::fromLatin1(reply->rawHeader("Content-Type")) : QString());
    });
}

void NetTypeProbe::finish(const QString& address, const QString& contentType)
{
    m_answers.insert(address, contentType);
    m_asked.remove(address);
    --m_running;
    emit answered(address, contentType);
    pump();
}
