#pragma once

#include "platform/document.h"
#include "platform/html/parsed_page.h"
#include "platform/net/sheet_imports.h"
#include "platform/url_cache.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <optional>
#include <vector>

class CurlSession;
class ResourceLoader;
class WorkerThreads;
struct FetchResult;

// One navigation of a browser: the page, its frames of the same origin, and the style sheets
// and pictures of all of them. The page is complete when its documents and style sheets are
// in and its pictures have had their time; a picture still loading then has no size.
// Deleting it aborts every request it made, at once.
class PageLoad : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFrameDepth = 8;
    static constexpr int kMaxDocuments = 100; // the page and its frames
    static constexpr int kDocumentsAtOnce = 4;
    static constexpr int kPictureGraceMs = 15'000; // after the page's own document
    static constexpr int kPicturesPerTurn = 500;

    // Without workers the pages are parsed and put together on this thread, at once.
    PageLoad(CurlSession* network, ResourceLoader* resources, const UrlCache* cache,
             WorkerThreads* workers, QObject* parent = nullptr, int pictureGraceMs = kPictureGraceMs);
    ~PageLoad() override;

    // Loads the page; every signal comes later, from the event loop.
    void start(const QUrl& address);
    // The page has run out of time: every transfer ends now, and the page finishes with the
    // documents that arrived (one still arriving is read as far as it came, as a browser
    // shows a partial page) and the pictures already loaded. finished follows once those
    // documents are parsed; failed when the page's own document gave no response.
    void finishNow();
    // The page's own answer was a 429 or a 503: the wait it asked for, 0 when none.
    std::optional<double> retryAfter() const { return m_retryAfter; }

signals:
    void responseArrived(const QString& finalAddress);
    void progress(int done, int known);
    // The page with everything it holds, or a failed page: then the document is an empty
    // HTML document at the address, since nothing of it is read.
    void finished(const DocumentPtr& document, bool failed, const QString& finalAddress);

private:
    // The page or one of its frames.
    struct Node {
        int depth = 0;
        QList<QUrl> chain; // the addresses of this document and of those that enclose it
        std::optional<ParsedPage> page;
        DocumentPtr document; // for a document that is not parsed
        QList<int> frames;    // a node for each frame, or -1 where the frame reads as nothing
    };

    void fetchDocument(int node, const QUrl& address);
    void pumpDocuments();
    void documentFetched(int node, const FetchResult& result);
    void pageParsed(int node, ParsedPage page);
    int frameNode(int parent, const QString& source);
    void want(const QString& address, bool styleSheet);
    // Asks for the next pictures of m_unrequested, a slice each turn of the event loop, so
    // a page of a hundred thousand pictures never holds the loop up.
    void requestPictures();
    void followImports(const QString& sheet); // loads the sheets a loaded sheet imports
    void resourceDone(const QString& address);
    void countDone();
    void finishIfComplete();
    void fail(const QString& address);
    // The snapshot of the node and its frames; reads only the nodes and the cache, so it may
    // run on a worker thread.
    static DocumentPtr assemble(std::vector<Node>& nodes, int node, const UrlCache& cache);

    QPointer<CurlSession> m_network;
    QPointer<ResourceLoader> m_resources;
    const UrlCache* m_cache;
    WorkerThreads* m_workers;
    quint64 m_resourcePage = 0;
    std::vector<Node> m_nodes;
    QUrl m_origin;
    QString m_finalAddress;
    QSet<QString> m_wanted;
    SheetImports m_imports;
    QQueue<QPair<int, QUrl>> m_documentQueue; // frames waiting for a free transfer
    int m_fetchingDocuments = 0;
    int m_pendingDocuments = 0; // queued or fetching
    int m_parsing = 0;          // fetched, on a worker thread
    QFutureWatcher<DocumentPtr>* m_assembling = nullptr; // the snapshot, built on a worker thread
    QSet<QString> m_pendingSheets;
    QSet<QString> m_pendingPictures;
    QStringList m_unrequested; // pictures of parsed documents, not yet asked for
    QTimer m_pictureGrace;
    int m_known = 0;
    int m_done = 0;
    bool m_finished = false;
    bool m_endedEarly = false; // finishNow: nothing more is asked for
    std::optional<double> m_retryAfter;
};
