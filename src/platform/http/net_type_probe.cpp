#include "platform/http/net_type_probe.h"

#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "platform/http/web_address.h"

#include <QTimer>

NetTypeProbe::NetTypeProbe(CurlSession* session, const UrlCache* cache, QObject* parent)
    : TypeProbe(parent), m_session(session), m_cache(cache)
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
        if (!m_session || !isWebAddress(url)) {
            QMetaObject::invokeMethod(this, [this, address] { finish(address, QString()); },
                                      Qt::QueuedConnection);
            continue;
        }
        request(address, true);
    }
}

void NetTypeProbe::request(const QString& address, bool head, int retries)
{
    FetchLimits limits;
    limits.idleTimeoutMs = kTimeoutMs;
    limits.totalTimeoutMs = kTimeoutMs;
    // A GET ends once its headers are in: the body is not wanted.
    limits.bodyLimit = head ? limits.bodyLimit : 0;
    auto* fetch = new Fetch(m_session, QUrl(address), this, limits, head ? Fetch::Method::Head : Fetch::Method::Get);
    connect(fetch, &Fetch::finished, this, [this, fetch, address, head, retries](const FetchResult& result) {
        fetch->deleteLater();
        if (const std::optional<int> waitMs = busyRetryWaitMs(result, retries, kBusyRetries, kBusyLongestWaitMs); waitMs && m_session) {
            QTimer::singleShot(*waitMs, this, [this, address, head, retries] { request(address, head, retries + 1); });
            return;
        }
        if (head && result.responded && (result.status == 405 || result.status == 501) && m_session) {
            request(address, false);
            return;
        }
        // The cut GET failed on purpose; its headers are the answer.
        const bool answered = result.responded && result.status < 400 && (!head || !result.failed);
        finish(address, answered ? QString::fromLatin1(result.contentType) : QString());
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
