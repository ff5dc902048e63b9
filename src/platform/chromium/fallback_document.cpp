#include "platform/chromium/fallback_document.h"

#include "base/worker_threads.h"
#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "text/picture_types.h"

#include <QFutureWatcher>

FallbackDocument::FallbackDocument(CurlSession* session, const UrlCache& cache, WorkerThreads* workers,
                                   QObject* parent)
    : QObject(parent), m_session(session), m_cache(cache), m_workers(workers)
{
}

void FallbackDocument::start(const QUrl& address, int timeoutMs)
{
    FetchLimits limits;
    limits.totalTimeoutMs = timeoutMs;
    limits.idleTimeoutMs = qMin(limits.idleTimeoutMs, timeoutMs);
    m_fetch = new Fetch(m_session, address, this, limits);
    connect(m_fetch, &Fetch::finished, this, &FallbackDocument::fetched);
}

void FallbackDocument::finishNow()
{
    if (m_fetch)
        m_fetch->finishNow();
}

void FallbackDocument::fetched(const FetchResult& result)
{
    m_fetch->deleteLater();
    // A page cut short, by its time or its size, is read as far as it came, as a browser
    // shows a partial page; one that sent nothing of itself failed.
    if (!result.responded || result.status >= 400 || result.body.isEmpty()) {
        emit read(nullptr);
        return;
    }
    const QString address = result.url.toString(QUrl::FullyEncoded);
    if (!isHtmlContentType(result.contentType)) {
        emit read(isPictureMediaType(QString::fromLatin1(result.contentType))
                      ? lonePictureDocument(address, result.failed ? std::nullopt : std::optional(result.byteSize))
                      : nonHtmlDocument(address));
        return;
    }
    if (!m_workers) {
        parsed(parseHtml(decodeHtml(result.body, result.contentType), result.url));
        return;
    }
    // Only copies go to the worker: this may be deleted while it parses.
    auto* watcher = new QFutureWatcher<ParsedPage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        parsed(watcher->future().takeResult());
    });
    watcher->setFuture(m_workers->run([body = result.body, type = result.contentType, url = result.url] {
        return parseHtml(decodeHtml(body, type), url);
    }));
}

void FallbackDocument::parsed(ParsedPage page)
{
    const qsizetype frames = page.frameSources.size();
    emit read(std::move(page).finish(QList<DocumentPtr>(frames), m_cache));
}
