#include "platform/net/page_load.h"

#include "base/worker_threads.h"
#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "platform/http/resource_loader.h"
#include "platform/http/web_address.h"
#include "text/picture_types.h"

#include <QFutureWatcher>

#include <algorithm>

PageLoad::PageLoad(CurlSession* network, ResourceLoader* resources, const UrlCache* cache,
                   WorkerThreads* workers, QObject* parent, int pictureGraceMs)
    : QObject(parent), m_network(network), m_resources(resources), m_cache(cache), m_workers(workers)
{
    if (m_resources)
        m_resourcePage = m_resources->open([this](const QString& address, bool stored) {
            if (stored)
                followImports(address);
            resourceDone(address);
        });
    m_pictureGrace.setSingleShot(true);
    m_pictureGrace.setInterval(pictureGraceMs);
    connect(&m_pictureGrace, &QTimer::timeout, this, &PageLoad::finishIfComplete);
}

PageLoad::~PageLoad()
{
    // The snapshot reads the cache, which may go soon after this load.
    if (m_assembling)
        m_assembling->waitForFinished();
    if (m_resources)
        m_resources->release(m_resourcePage);
    // A page of a hundred thousand pictures leaves as many addresses to free, which holds
    // the event loop up for tens of milliseconds: they go on a worker thread.
    if (m_workers && m_wanted.size() > kPicturesPerTurn)
        m_workers->run([wanted = std::move(m_wanted), pending = std::move(m_pendingPictures)] {});
}

void PageLoad::start(const QUrl& address)
{
    m_finalAddress = address.toString(QUrl::FullyEncoded);
    if (!isWebAddress(address) || !m_network) {
        QMetaObject::invokeMethod(this, [this] { fail(m_finalAddress); }, Qt::QueuedConnection);
        return;
    }
    m_origin = address;
    m_nodes.push_back(Node{0, {documentAddress(address)}, std::nullopt, nullptr, {}});
    fetchDocument(0, address);
}

void PageLoad::finishNow()
{
    if (m_finished || m_endedEarly)
        return;
    m_endedEarly = true;
    m_pictureGrace.stop();
    m_pendingDocuments -= int(m_documentQueue.size());
    m_documentQueue.clear(); // frames never asked for read as nothing
    if (m_resources)
        m_resources->release(m_resourcePage);
    m_pendingSheets.clear();
    m_pendingPictures.clear();
    m_unrequested.clear();
    // Each finishes at once with what it has, which is parsed as usual.
    for (Fetch* fetch : findChildren<Fetch*>(Qt::FindDirectChildrenOnly))
        fetch->finishNow();
    finishIfComplete();
}

void PageLoad::fetchDocument(int node, const QUrl& address)
{
    ++m_pendingDocuments;
    ++m_known;
    emit progress(m_done, m_known);
    m_documentQueue.enqueue({node, address});
    pumpDocuments();
}

void PageLoad::pumpDocuments()
{
    if (m_fetchingDocuments >= kDocumentsAtOnce || m_documentQueue.isEmpty())
        return;
    const QPair<int, QUrl> next = m_documentQueue.dequeue();
    const int node = next.first; // not a structured binding: clang 14 cannot capture one
    const QUrl& address = next.second;
    ++m_fetchingDocuments;
    auto* fetch = new Fetch(m_network, address, this);
    if (node == 0) {
        connect(fetch, &Fetch::responseArrived, this, [this](const QUrl& finalUrl) {
            emit responseArrived(finalUrl.toString(QUrl::FullyEncoded));
        });
    }
    connect(fetch, &Fetch::finished, this, [this, node, fetch](const FetchResult& result) {
        fetch->deleteLater();
        --m_fetchingDocuments;
        documentFetched(node, result);
        pumpDocuments();
    });
    pumpDocuments();
}

void PageLoad::documentFetched(int node, const FetchResult& result)
{
    --m_pendingDocuments;
    countDone();
    if (node == 0) {
        if (result.url.isValid())
            m_finalAddress = result.url.toString(QUrl::FullyEncoded);
        if (result.failed) {
            m_retryAfter = result.retryAfter;
            fail(m_finalAddress);
            return;
        }
        // A redirect may have led elsewhere: frames are compared with where the page is.
        m_origin = result.url;
        if (!m_endedEarly)
            m_pictureGrace.start();
    } else if (result.failed || !sameOrigin(result.url, m_origin)) {
        // A frame that failed, or that was sent to another origin, reads as nothing.
        finishIfComplete();
        return;
    }

    const QUrl finalDocument = documentAddress(result.url);
    if (!m_nodes[node].chain.contains(finalDocument))
        m_nodes[node].chain.append(finalDocument);
    const QString address = result.url.toString(QUrl::FullyEncoded);
    if (!isHtmlContentType(result.contentType)) {
        // A picture cut short has no size yet.
        const std::optional<qint64> size = result.endedEarly ? std::nullopt : std::optional(result.byteSize);
        m_nodes[node].document = isPictureMediaType(QString::fromLatin1(result.contentType))
                                     ? lonePictureDocument(address, size)
                                     : nonHtmlDocument(address);
        finishIfComplete();
        return;
    }
    if (!m_workers) {
        pageParsed(node, parseHtml(decodeHtml(result.body, result.contentType), result.url));
        return;
    }
    // The watcher goes with this load: a load deleted meanwhile never hears of the page.
    ++m_parsing;
    auto* watcher = new QFutureWatcher<ParsedPage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, node, watcher] {
        watcher->deleteLater();
        --m_parsing;
        pageParsed(node, watcher->future().takeResult());
    });
    watcher->setFuture(m_workers->run([body = result.body, contentType = result.contentType, url = result.url] {
        return parseHtml(decodeHtml(body, contentType), url);
    }));
}

void PageLoad::pageParsed(int node, ParsedPage page)
{
    const QStringList frameSources = page.frameSources;
    const QStringList sheets = page.styleSheets + page.styleBlockImports;
    m_imports.addSheets(page.styleSheets, 0);
    m_imports.addSheets(page.styleBlockImports, 1);
    const QStringList pictures = page.pictures;
    m_nodes[node].page = std::move(page);
    if (m_endedEarly) {
        // What it holds of frames, style sheets and pictures is no longer asked for.
        m_nodes[node].frames.fill(-1, frameSources.size());
        finishIfComplete();
        return;
    }
    for (const QString& source : frameSources) {
        const int frame = frameNode(node, source); // may grow m_nodes
        m_nodes[node].frames.append(frame);
    }
    const int knownBefore = m_known;
    for (const QString& sheet : sheets) {
        want(sheet, true);
        followImports(sheet); // one that is cached already reports no load
    }
    if (m_known != knownBefore)
        emit progress(m_done, m_known);
    m_unrequested += pictures;
    requestPictures();
}

void PageLoad::requestPictures()
{
    const int knownBefore = m_known;
    const qsizetype slice = std::min<qsizetype>(kPicturesPerTurn, m_unrequested.size());
    for (qsizetype i = 0; i < slice; ++i)
        want(m_unrequested.at(i), false);
    m_unrequested.remove(0, slice);
    // Once for the slice, not once for each picture.
    if (m_known != knownBefore)
        emit progress(m_done, m_known);
    if (!m_unrequested.isEmpty()) {
        QTimer::singleShot(0, this, &PageLoad::requestPictures);
        return;
    }
    finishIfComplete();
}

int PageLoad::frameNode(int parent, const QString& source)
{
    const int depth = m_nodes[parent].depth + 1;
    if (source.isEmpty() || isAboutBlank(source)) {
        m_nodes.push_back(Node{depth, {}, std::nullopt, blankDocument(QStringLiteral("about:blank")), {}});
        return int(m_nodes.size()) - 1;
    }
    const QUrl address(source);
    // Another origin is not read, as a browser keeps a page from reading it.
    if (!isWebAddress(address) || !sameOrigin(address, m_origin) || depth > kMaxFrameDepth
        || m_nodes.size() >= size_t(kMaxDocuments))
        return -1;
    const QUrl document = documentAddress(address);
    QList<QUrl> chain = m_nodes[parent].chain;
    if (chain.contains(document))
        return -1; // a frame that holds a page enclosing it would never end
    chain.append(document);
    m_nodes.push_back(Node{depth, std::move(chain), std::nullopt, nullptr, {}});
    const int node = int(m_nodes.size()) - 1;
    fetchDocument(node, address);
    return node;
}

void PageLoad::want(const QString& address, bool styleSheet)
{
    if (m_wanted.contains(address) || !m_resources)
        return;
    m_wanted.insert(address);
    const auto kind = styleSheet ? ResourceLoader::Kind::StyleSheet : ResourceLoader::Kind::Picture;
    // What the cache already answers, and what is no web address, is no work for this page.
    const ResourceLoader::Admission admission = m_resources->admit(address, kind);
    if (admission == ResourceLoader::Admission::AlreadyCached || admission == ResourceLoader::Admission::NotWebAddress)
        return;
    (styleSheet ? m_pendingSheets : m_pendingPictures).insert(address);
    ++m_known;
    m_resources->request(m_resourcePage, address, kind);
}

void PageLoad::followImports(const QString& sheet)
{
    for (const QString& imported : m_imports.importsOf(sheet, *m_cache)) {
        want(imported, true);
        followImports(imported);
    }
}

void PageLoad::resourceDone(const QString& address)
{
    if (!m_pendingSheets.remove(address) && !m_pendingPictures.remove(address))
        return;
    countDone();
    finishIfComplete();
}

void PageLoad::countDone()
{
    ++m_done;
    emit progress(m_done, m_known);
}

void PageLoad::finishIfComplete()
{
    const bool picturesDone = m_pendingPictures.isEmpty() || !m_pictureGrace.isActive();
    if (m_finished || m_pendingDocuments > 0 || m_parsing > 0 || !m_pendingSheets.isEmpty()
        || !m_unrequested.isEmpty() || !picturesDone)
        return;
    m_finished = true;
    m_pictureGrace.stop();
    // Most pages are put together in less time than a trip to a worker and back, which waits
    // behind the pages being parsed and read. One of a hundred thousand pictures takes long,
    // and goes to a worker, away from the event loop.
    qsizetype pictures = 0;
    for (const Node& each : m_nodes)
        pictures += each.page ? each.page->images.size() : 0;
    if (!m_workers || pictures <= kPicturesPerTurn) {
        emit finished(assemble(m_nodes, 0, *m_cache), false, m_finalAddress);
        return;
    }
    m_assembling = new QFutureWatcher<DocumentPtr>(this);
    connect(m_assembling, &QFutureWatcherBase::finished, this,
            [this] { emit finished(m_assembling->result(), false, m_finalAddress); });
    m_assembling->setFuture(m_workers->run([nodes = std::move(m_nodes), cache = m_cache]() mutable {
        return assemble(nodes, 0, *cache);
    }));
}

void PageLoad::fail(const QString& address)
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished(blankDocument(address), true, address);
}

DocumentPtr PageLoad::assemble(std::vector<Node>& nodes, int node, const UrlCache& cache)
{
    if (node < 0 || node >= int(nodes.size()))
        return nullptr;
    if (!nodes[node].page)
        return nodes[node].document;
    QList<DocumentPtr> frames;
    for (const int frame : std::as_const(nodes[node].frames))
        frames.append(assemble(nodes, frame, cache));
    ParsedPage page = std::move(*nodes[node].page);
    nodes[node].page.reset();
    return std::move(page).finish(std::move(frames), cache);
}
