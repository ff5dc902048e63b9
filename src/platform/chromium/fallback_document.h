#pragma once

#include "platform/document.h"
#include "platform/html/parsed_page.h"
#include "platform/url_cache.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class CurlSession;
class Fetch;
class WorkerThreads;
struct FetchResult;

// Reads a page from its bytes when the renderer gave no document of it (busy past its
// budget, over its memory, ended): the page's address is fetched once more and parsed as the
// script-free engine parses it, with its caps and its light pass, so its pictures and links
// are there all the same. Its frames read as refused, and it runs no scripts.
class FallbackDocument : public QObject {
    Q_OBJECT
public:
    // The parse runs on workers when there are some, else on the event loop's thread.
    FallbackDocument(CurlSession* session, const UrlCache& cache, WorkerThreads* workers, QObject* parent = nullptr);

    // Fetches and parses; read() follows from the event loop, within timeoutMs of the
    // fetch and the parse's own time.
    void start(const QUrl& address, int timeoutMs);
    // The fetch ends now: what has arrived of the page is parsed.
    void finishNow();

signals:
    // The page, or null when no byte of it came (no answer, an error status).
    void read(const DocumentPtr& document);

private:
    void fetched(const FetchResult& result);
    void parsed(ParsedPage page);

    QPointer<CurlSession> m_session;
    const UrlCache& m_cache;
    WorkerThreads* m_workers;
    QPointer<Fetch> m_fetch;
};
