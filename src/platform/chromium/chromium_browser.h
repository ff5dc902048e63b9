#pragma once

#include "platform/browser.h"
#include "platform/chromium/retry_after_query.h"
#include "platform/chromium/settle_budget.h"
#include "platform/url_cache.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

class CurlSession;
class FallbackDocument;
class GuardedPage;
class PageSettle;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;
class RequestActivity;
class ResourceLoader;
class WorkerThreads;
class SnapshotReader;
struct PageSnapshot;

// A browser of the Chromium engine: one page that runs its scripts, shown by a view of its
// own that the window may take into a tab. A navigation loads the page, lets it settle, reads
// it with the snapshot script and then completes, all within the page time-out. A page whose
// load stalls, runs out of its share of the time or grows its renderer past the bound is
// stopped and read as it stands. A renderer that gives no document (busy past its budget,
// still past the bound once stopped, ended) is killed, and the page is read from its bytes
// as the script-free engine reads it; only a page that sent nothing fails. Every event is
// delivered from the event loop and belongs to the navigation that raised it.
class ChromiumBrowser : public Browser {
    Q_OBJECT
public:
    // session: where a page whose renderer gave no document is fetched again.
    ChromiumBrowser(QWebEngineProfile* profile, CurlSession* session, ResourceLoader* resources,
                    UrlCache* cache, SettleBudget budget, QObject* parent = nullptr);
    ~ChromiumBrowser() override;

    void navigate(const QString& address) override;
    QString locationURL() const override { return m_location; }
    DocumentPtr document() const override { return m_document; }
    bool navigationFailed() const override { return m_failed; }
    void finishNow() override;
    std::optional<double> retryAfterSeconds() const override { return m_retryAfter; }
    // Where a 429 or 503 asks for the wait the server named; without one, none is named.
    void setRetryAfterQuery(RetryAfterQuery* query) { m_retryQuery = query; }
    // Where a page read from its bytes is parsed; none: on the event loop's thread.
    void setWorkers(WorkerThreads* workers) { m_workers = workers; }
    // The search's page time-out, for the navigations that follow.
    void setPageTimeout(int milliseconds) { m_budget.pageMs = milliseconds; }

    // The view that shows the live page; off screen until a window takes it. Null once the
    // engine has gone.
    QWidget* view() const;
    bool ownsPage(const QObject* page) const;
    // A download that the page started was refused.
    void downloadRefused();
    // Ends the page before the engine's profile goes; the browser then stays blank.
    void releasePage();

private:
    enum class State { Idle, Loading, Settling, Reading, Fetching, Done };

    void later(std::function<void()> event);
    void stopWork();
    void loadDeferred();
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void loadEnded(bool failed, bool responded);
    void askRetryAfter(const QUrl& url);
    void loadBudgetSpent();
    void watchLoad();
    void watchMemory();
    // Stops the page's loading and reads it now, without settling.
    void stopAndRead();
    void readPage();
    void readBudgetSpent();
    void pageRead(PageSnapshot snapshot);
    void storePictureFigures(const PageSnapshot& snapshot);
    void readDone();
    // Ends the renderer, which neither its stopping nor its budget brought to an end.
    void killRenderer();
    // The renderer gave no document: the page is read from its bytes instead. Given the
    // snapshot of a page read in part, the bytes read become its rest.
    void readFromBytes(DocumentPtr partial = nullptr);
    void bytesRead(const DocumentPtr& document);
    void complete(DocumentPtr document, const QString& address);

    QPointer<GuardedPage> m_page;
    QPointer<QWebEngineView> m_view;
    RequestActivity* m_activity = nullptr;
    QPointer<CurlSession> m_session;
    QPointer<ResourceLoader> m_resources;
    QPointer<FallbackDocument> m_fallback;
    WorkerThreads* m_workers = nullptr;
    UrlCache* m_cache;
    SettleBudget m_budget;

    State m_state = State::Idle;
    quint64 m_navigation = 0;
    bool m_started = false;
    QTimer m_loadBudget;
    QTimer m_readBudget;
    QTimer m_loadWatch;
    QTimer m_memoryWatch;
    QDeadlineTimer m_pageDeadline;
    qint64 m_loadStartEpoch = 0; // when the load was asked for, in ms since the epoch
    // What the loading page's network did when last looked at, and since when it has not
    // changed while its document stood parsed.
    std::pair<int, qint64> m_lastActivity{-1, -1};
    QElapsedTimer m_stallClock;
    bool m_loadStatePending = false;
    QElapsedTimer m_loadStateWait; // since the pending load-state script was sent
    bool m_responseTold = false;   // navigateComplete2 has been sent for this navigation
    bool m_documentArrived = false; // this navigation's document has been seen
    bool m_finishing = false;   // reading without settling, told to finish or over its memory
    bool m_memoryCut = false;
    bool m_rendererEnded = false; // killed or crashed: the page is reset once complete
    qint64 m_killedPid = 0;       // a renderer killed, whose end is not yet reported
    bool m_opening = false;     // "正在打开" is the last status text given
    QTimer m_stopGrace;
    QTimer m_blankWait;
    QUrl m_deferred;          // to load once the blank page has loaded
    bool m_blankPending = false;
    QPointer<PageSettle> m_settle;
    QPointer<SnapshotReader> m_reader;
    QString m_cut; // why the page was read only in part
    quint64 m_resourcePage = 0;
    int m_pendingSheets = 0;
    DocumentPtr m_read;
    bool m_snapshotCut = false; // the snapshot stopped at a cap or at its time
    DocumentPtr m_partial;      // that snapshot, while its rest is read from the bytes

    QString m_location = QStringLiteral("about:blank");
    DocumentPtr m_document;
    bool m_failed = false;
    std::optional<double> m_retryAfter; // the page was answered 429 or 503
    QPointer<RetryAfterQuery> m_retryQuery;
};
