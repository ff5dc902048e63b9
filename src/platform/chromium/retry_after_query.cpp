#include "platform/chromium/retry_after_query.h"

#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"

RetryAfterQuery::RetryAfterQuery(CurlSession* session, QObject* parent) : QObject(parent), m_session(session) {}

void RetryAfterQuery::ask(const QUrl& url, QObject* receiver, std::function<void(double seconds)> done)
{
    FetchLimits limits;
    limits.idleTimeoutMs = kBoundMs;
    limits.totalTimeoutMs = kBoundMs;
    auto* fetch = new Fetch(m_session, url, this, limits, Fetch::Method::Head);
    connect(fetch, &Fetch::finished, receiver, [fetch, done = std::move(done)](const FetchResult& result) {
        fetch->deleteLater();
        done(result.retryAfter.value_or(0));
    });
    // Without its receiver the answer goes nowhere, and the fetch with it.
    connect(receiver, &QObject::destroyed, fetch, &QObject::deleteLater);
}
