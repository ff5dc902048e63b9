#include "platform/chromium/chromium_browser.h"

#include "base/deliver_later.h"
#include "platform/chromium/fallback_document.h"
#include "platform/chromium/guarded_page.h"
#include "platform/chromium/page_settle.h"
#include "platform/chromium/page_snapshot.h"
#include "platform/chromium/renderer_memory.h"
#include "platform/chromium/request_activity.h"
#include "platform/chromium/snapshot_reader.h"
#include "platform/http/curl_session.h"
#include "platform/http/resource_loader.h"
#include "platform/http/web_address.h"

#include <QDateTime>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

constexpr int kAbortedError = -3; // another navigation or a download took the page's place
constexpr int kStopGraceMs = 300;  // for the load that takes a stopped one's place to start
constexpr int kBlankWaitMs = 2000; // for the blank page of a reset to finish loading
constexpr int kLoadWatchMs = 250;
constexpr int kMemoryWatchMs = 500;
// A renderer that has not answered the load-state script for this long is busy with the page.
constexpr int kBusyRendererMs = 1000;
// Reading gets at least this long, even when the page has used up its time.
constexpr int kMinReadMs = 1000;
// A document that began before its navigation was asked for, by more than the clocks of two
// processes may differ, is one that was there before.
constexpr double kStartSlackMs = 1000;
// Resource timing keeps 250 entries unless told otherwise: enough for the pictures of a
// large page, bounded for a hostile one.
constexpr int kResourceEntries = 20'000;

// Whether the loading page's document is this navigation's and parsed, and what its network
// has finished.
const char* const kLoadStateScript = R"js((() => [performance.timeOrigin, document.readyState,
  performance.getEntriesByType('resource').length])())js";

const char* const kResourceEntriesScript = "try { performance.setResourceTimingBufferSize(%1); } catch (e) {}";

bool isBlankUrl(const QUrl& url)
{
    return isAboutBlank(url.toString());
}

} // namespace

ChromiumBrowser::ChromiumBrowser(QWebEngineProfile* profile, CurlSession* session, ResourceLoader* resources,
                                 UrlCache* cache, SettleBudget budget, QObject* parent)
    : Browser(parent), m_page(new GuardedPage(profile, this)), m_activity(new RequestActivity(resources, this)),
      m_session(session), m_resources(resources), m_cache(cache), m_budget(budget)
{
    m_page->setUrlRequestInterceptor(m_activity);
    QWebEngineScript entries;
    entries.setName(QStringLiteral("quorvane-resource-entries"));
    entries.setSourceCode(QString::fromLatin1(kResourceEntriesScript).arg(kResourceEntries));
    entries.setInjectionPoint(QWebEngineScript::DocumentCreation);
    entries.setWorldId(QWebEngineScript::ApplicationWorld);
    entries.setRunsOnSubFrames(true);
    m_page->scripts().insert(entries);
    // A page needs a view of some size to lay out, scroll and load what comes into sight.
    m_view = new QWebEngineView;
    m_view->setPage(m_page);
    m_view->setAttribute(Qt::WA_DontShowOnScreen);
    m_view->resize(1024, 768);
    m_view->show();

    m_loadBudget.setSingleShot(true);
    m_readBudget.setSingleShot(true);
    m_stopGrace.setSingleShot(true);
    m_blankWait.setSingleShot(true);
    m_blankWait.setInterval(kBlankWaitMs);
    connect(&m_blankWait, &QTimer::timeout, this, [this] {
        m_blankPending = false;
        loadDeferred();
    });
    m_stopGrace.setInterval(kStopGraceMs);
    connect(&m_stopGrace, &QTimer::timeout, this, [this] {
        if (m_state == State::Loading)
            loadEnded(false, true);
    });
    connect(&m_loadBudget, &QTimer::timeout, this, &ChromiumBrowser::loadBudgetSpent);
    connect(&m_readBudget, &QTimer::timeout, this, &ChromiumBrowser::readBudgetSpent);
    m_loadWatch.setInterval(kLoadWatchMs);
    connect(&m_loadWatch, &QTimer::timeout, this, &ChromiumBrowser::watchLoad);
    m_memoryWatch.setInterval(kMemoryWatchMs);
    connect(&m_memoryWatch, &QTimer::timeout, this, &ChromiumBrowser::watchMemory);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &ChromiumBrowser::loadingChanged);
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        if (m_state == State::Loading)
            emit progressChange(progress, 100);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_rendererEnded = true;
        // The end of a renderer this browser killed (its page is read without it), or of one
        // a live renderer has replaced: it says nothing of the navigation now current.
        const bool killed = std::exchange(m_killedPid, 0) != 0;
        if (killed || (m_page && residentBytes(m_page->renderProcessPid())))
            return;
        if (m_state != State::Loading && m_state != State::Settling && m_state != State::Reading)
            return;
        if (m_started)
            readFromBytes();
        else
            loadEnded(true, false);
    });
}

ChromiumBrowser::~ChromiumBrowser()
{
    releasePage();
}

QWidget* ChromiumBrowser::view() const
{
    return m_view;
}

bool ChromiumBrowser::ownsPage(const QObject* page) const
{
    return page && page == static_cast<const QObject*>(m_page.data());
}

void ChromiumBrowser::releasePage()
{
    stopWork();
    m_state = State::Idle;
    delete m_view;
    delete m_page;
}

void ChromiumBrowser::later(std::function<void()> event)
{
    deliverLater(this, &m_navigation, std::move(event));
}

void ChromiumBrowser::stopWork()
{
    m_loadBudget.stop();
    m_stopGrace.stop();
    m_readBudget.stop();
    m_loadWatch.stop();
    m_memoryWatch.stop();
    m_loadStatePending = false;
    if (m_settle)
        m_settle->deleteLater();
    m_settle = nullptr;
    if (m_reader)
        m_reader->deleteLater();
    m_reader = nullptr;
    if (m_resources && m_resourcePage)
        m_resources->release(m_resourcePage);
    m_resourcePage = 0;
    m_pendingSheets = 0;
    m_read.reset();
    m_partial.reset();
    if (m_fallback) {
        m_fallback->disconnect(this);
        m_fallback->deleteLater(); // its fetch ends with it
    }
    m_fallback = nullptr;
}

void ChromiumBrowser::navigate(const QString& address)
{
    ++m_navigation;
    stopWork();
    m_location = address;
    m_document.reset();
    m_failed = false;
    m_retryAfter.reset();
    m_started = false;
    m_finishing = false;
    m_memoryCut = false;
    m_rendererEnded = false;
    m_responseTold = false;
    m_snapshotCut = false;
    m_cut.clear();
    m_state = State::Idle;

    if (isAboutBlank(address)) {
        if (m_page) {
            m_page->allowBlankOnce();
            m_page->load(QUrl(QStringLiteral("about:blank"))); // ends the page and its scripts
            m_blankPending = true;
        }
        const bool wasOpening = std::exchange(m_opening, false);
        later([this, wasOpening] {
            const quint64 navigation = m_navigation;
            const QString blank = QStringLiteral("about:blank");
            if (wasOpening) // a page given up before it completed: the status bar moves on too
                emit statusTextChange(QStringLiteral("完成"));
            m_document = emptyDocument(blank);
            m_state = State::Done;
            emit navigateComplete2(blank);
            if (navigation == m_navigation) // unless the handler has navigated elsewhere
                emit documentComplete(blank);
        });
        return;
    }

    later([this, address] { emit statusTextChange(QStringLiteral("正在打开 %1...").arg(address)); });
    m_opening = true;
    const QUrl url = addressToFetch(address);
    m_state = State::Loading;
    m_pageDeadline = QDeadlineTimer(m_budget.usableMs());
    if (!m_page || !isWebAddress(url) || !url.isValid()) {
        later([this] { loadEnded(true, false); });
        return;
    }
    m_loadBudget.start(m_budget.loadShareMs());
    m_memoryWatch.start();
    m_deferred = url;
    // A load begun while the blank page still loads is taken as part of it and never
    // reported: it waits for the blank page.
    if (!m_blankPending)
        loadDeferred();
    else
        m_blankWait.start();
}

void ChromiumBrowser::finishNow()
{
    switch (m_state) {
    case State::Loading:
        if (!m_started) { // nothing of the address has arrived
            if (m_page)
                m_page->triggerAction(QWebEnginePage::Stop);
            loadEnded(true, false);
            return;
        }
        stopAndRead();
        return;
    case State::Settling:
        stopAndRead();
        return;
    case State::Reading:
        m_readBudget.start(0); // what has been read is the page
        return;
    case State::Fetching:
        if (m_fallback)
            m_fallback->finishNow(); // what has arrived of the bytes is the page
        return;
    case State::Idle:
    case State::Done:
        return;
    }
}

void ChromiumBrowser::stopAndRead()
{
    if (m_finishing)
        return;
    m_finishing = true;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
    if (m_state == State::Loading) {
        loadEnded(false, true); // reads at once, as m_finishing says
    } else if (m_state == State::Settling) {
        readPage();
    }
}

void ChromiumBrowser::watchLoad()
{
    if (m_state != State::Loading || !m_started || !m_page || m_loadStatePending)
        return;
    m_loadStatePending = true;
    m_loadStateWait.start();
    m_page->runJavaScript(
        QString::fromLatin1(kLoadStateScript), QWebEngineScript::ApplicationWorld,
        [self = QPointer<ChromiumBrowser>(this), navigation = m_navigation](const QVariant& result) {
            if (!self || navigation != self->m_navigation || self->m_state != State::Loading)
                return;
            self->m_loadStatePending = false;
            const QVariantList state = result.toList();
            const bool fresh = state.size() == 3 && state.at(0).toDouble() >= self->m_loadStartEpoch - kStartSlackMs;
            self->m_documentArrived = self->m_documentArrived || fresh;
            const bool parsed = fresh && state.at(1).toString() != QLatin1String("loading");
            const std::pair<int, qint64> activity{self->m_activity->requestCount(), state.value(2).toLongLong()};
            if (!parsed || activity != self->m_lastActivity) {
                self->m_lastActivity = activity;
                self->m_stallClock.start();
                return;
            }
            if (self->m_stallClock.elapsed() < self->m_budget.stallMs)
                return;
            // Parsed, and nothing has started or finished for a while: what is still loading
            // may never end (a picture that trickles). The page is what has arrived.
            if (self->m_page)
                self->m_page->triggerAction(QWebEnginePage::Stop);
            self->loadEnded(false, true);
        });
}

void ChromiumBrowser::watchMemory()
{
    if (m_state != State::Loading && m_state != State::Settling && m_state != State::Reading) {
        m_memoryWatch.stop();
        return;
    }
    // Before this navigation's document has come, the renderer's memory is the page before's;
    // unless the renderer, its load begun, is too busy to answer: then it is busy with this one.
    const bool busy = m_started && m_loadStatePending && m_loadStateWait.elapsed() >= kBusyRendererMs;
    if (!m_page || (m_state == State::Loading && !m_documentArrived && !busy))
        return;
    const std::optional<qint64> bytes = residentBytes(m_page->renderProcessPid());
    if (!bytes || *bytes <= m_budget.rendererBytes)
        return;
    const bool firstLook = !m_memoryCut;
    m_memoryCut = true;
    m_cut = QStringLiteral("memory");
    if (firstLook && m_state == State::Reading) {
        m_readBudget.start(0); // settled: the snapshot under way reads what the page has
        return;
    }
    // A stop does not halt the renderer's parser, and a stopped page shows only as far as it
    // had parsed: the page is read from its bytes, within the caps.
    killRenderer();
    readFromBytes();
}

void ChromiumBrowser::loadDeferred()
{
    m_blankWait.stop();
    if (m_state != State::Loading || !m_deferred.isValid() || !m_page)
        return;
    const QUrl url = m_deferred;
    m_deferred.clear();
    m_loadStartEpoch = QDateTime::currentMSecsSinceEpoch();
    m_lastActivity = {-1, -1};
    m_documentArrived = false;
    m_loadWatch.start();
    m_page->load(url);
}

void ChromiumBrowser::loadingChanged(const QWebEngineLoadingInfo& info)
{
    const bool blank = isBlankUrl(info.url());
    if (blank && m_blankPending && info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
        m_blankPending = false;
        loadDeferred();
        return;
    }
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (blank)
            return;
        if (m_state == State::Loading) {
            m_started = true;
            m_stopGrace.stop();
        } else if (m_state == State::Settling) {
            // The page went on to another address of its own: that one is the page now.
            if (m_settle)
                m_settle->deleteLater();
            m_settle = nullptr;
            m_state = State::Loading;
            m_started = true;
        }
        return;
    }
    if (m_state != State::Loading || !m_started)
        return; // the end of a load that is not this navigation's
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus || info.errorCode() == kAbortedError) {
        // Replaced by another load, which reports its own end; or stopped by the page itself
        // (window.close, a refused pop-up): then what it holds by now is the page.
        m_stopGrace.start();
        return;
    }
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain && info.errorCode() >= 400) {
        if ((info.errorCode() == 429 || info.errorCode() == 503) && !m_retryAfter)
            askRetryAfter(info.url());
        else
            loadEnded(true, true);
        return;
    }
    loadEnded(info.status() == QWebEngineLoadingInfo::LoadFailedStatus, !info.isErrorPage()
                  && info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
}

void ChromiumBrowser::downloadRefused()
{
    if (m_state == State::Loading)
        loadEnded(true, true);
}

void ChromiumBrowser::loadBudgetSpent()
{
    if (m_state != State::Loading)
        return;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
    // What has arrived by now is the page; with nothing at all, the navigation failed.
    if (m_started && m_cut.isEmpty())
        m_cut = QStringLiteral("load");
    if (m_started && m_loadStatePending && m_loadStateWait.elapsed() >= m_budget.stallMs) {
        // The renderer has not answered for a while: busy with the page, it would not settle
        // or be read either.
        killRenderer();
        readFromBytes();
        return;
    }
    loadEnded(!m_started, m_started);
}

void ChromiumBrowser::askRetryAfter(const QUrl& url)
{
    // Told to come back: the page fails however its load ends from here on.
    m_retryAfter = 0;
    if (!m_retryQuery) {
        loadEnded(true, true);
        return;
    }
    m_retryQuery->ask(url, this, [this, navigation = m_navigation](double seconds) {
        if (navigation != m_navigation || m_state != State::Loading)
            return;
        m_retryAfter = seconds;
        loadEnded(true, true);
    });
}

void ChromiumBrowser::loadEnded(bool failed, bool responded)
{
    failed = failed || m_retryAfter.has_value();
    m_loadBudget.stop();
    m_stopGrace.stop();
    m_loadWatch.stop();
    if (m_page && responded && !isBlankUrl(m_page->url()))
        m_location = m_page->url().toString(QUrl::FullyEncoded);
    const QString address = m_location;
    if (failed) {
        stopWork();
        m_state = State::Done;
        m_failed = true;
        later([this, responded, address] {
            if (responded)
                emit navigateComplete2(address);
            complete(nullptr, address);
        });
        return;
    }
    later([this, address] { emit navigateComplete2(address); });
    m_responseTold = true;
    m_state = State::Settling;
    if (m_finishing) {
        readPage();
        return;
    }
    // Settling may take what the page time-out leaves after the reading's share.
    const QDeadlineTimer settleBy(qMax<qint64>(0, m_pageDeadline.remainingTime() - m_budget.readReserveMs()));
    m_settle = new PageSettle(m_page, m_activity, m_budget, settleBy, this);
    connect(m_settle, &PageSettle::settled, this, &ChromiumBrowser::readPage);
    m_settle->start();
}

void ChromiumBrowser::readPage()
{
    if (m_settle)
        m_settle->deleteLater();
    m_settle = nullptr;
    if (m_state != State::Settling || !m_page)
        return;
    m_state = State::Reading;
    // Its own budget: what remains of the page time-out, but never less than a reading
    // needs, nor more than the snapshot's budget; a page told to finish gets the reading's share.
    const qint64 remaining = m_finishing ? m_budget.readReserveMs() : m_pageDeadline.remainingTime();
    m_readBudget.start(int(std::clamp(remaining, qint64(kMinReadMs), qint64(qMax(kMinReadMs, m_budget.snapshotMs)))));
    m_reader = new SnapshotReader(m_page, this);
    connect(m_reader, &SnapshotReader::read, this, &ChromiumBrowser::pageRead);
    m_reader->start();
}

void ChromiumBrowser::readBudgetSpent()
{
    if (m_reader) {
        PageSnapshot snapshot = m_reader->take();
        if (!snapshot.document) {
            // Not a slice in the reading's whole budget: the renderer is busy past it.
            killRenderer();
            readFromBytes();
            return;
        }
        pageRead(std::move(snapshot));
    }
    // Style sheets still loading or not, what was read is the page.
    if (m_state == State::Reading && m_read)
        readDone();
}

void ChromiumBrowser::pageRead(PageSnapshot snapshot)
{
    if (m_reader)
        m_reader->deleteLater();
    m_reader = nullptr;
    if (m_state != State::Reading)
        return;
    if (!snapshot.document) {
        // The renderer gave no document: its scripts never answered.
        readFromBytes();
        return;
    }
    if (isAboutBlank(snapshot.document->URL()) || snapshot.documentStart < double(m_loadStartEpoch) - kStartSlackMs) {
        // Nothing of the address ever arrived: the page is still the one before, or blank.
        stopWork();
        m_failed = true;
        complete(nullptr, m_location);
        return;
    }
    m_read = snapshot.document;
    m_snapshotCut = !snapshot.cut.isEmpty();
    if (m_snapshotCut)
        m_cut = snapshot.cut;
    else if (m_cut.isEmpty() && m_activity->framesRefused() > 0)
        m_cut = QStringLiteral("frames");
    storePictureFigures(snapshot);
    for (const StyleSheetText& sheet : std::as_const(snapshot.styleSheets)) {
        if (m_cache->contains(sheet.address))
            continue;
        if (sheet.text) {
            m_cache->store(sheet.address, sheet.text->toUtf8());
            continue;
        }
        // A sheet of another origin is closed to the page's scripts: fetched once more.
        if (!m_resources || !isWebAddress(QUrl(sheet.address)))
            continue;
        if (!m_resourcePage) {
            m_resourcePage = m_resources->open([this](const QString&, bool) {
                if (--m_pendingSheets == 0 && m_state == State::Reading)
                    readDone();
            });
        }
        ++m_pendingSheets;
        m_resources->request(m_resourcePage, sheet.address, ResourceLoader::Kind::StyleSheet);
    }
    if (m_pendingSheets == 0)
        readDone();
}

void ChromiumBrowser::storePictureFigures(const PageSnapshot& snapshot)
{
    for (const PictureSize& picture : snapshot.pictureSizes) {
        if (!m_cache->byteSize(picture.address)) // bytes held already say it best
            m_cache->storeSize(picture.address, picture.bytes);
    }
    for (const PictureDimensions& picture : snapshot.pictureDimensions)
        m_cache->storeDimensions(picture.address, picture.width, picture.height);
}

void ChromiumBrowser::readDone()
{
    const DocumentPtr document = m_read;
    const QString address = document ? document->URL() : m_location;
    if (document && m_snapshotCut && m_session) {
        // The pictures and links past the snapshot's cap are in the page's bytes.
        readFromBytes(document);
        return;
    }
    stopWork();
    complete(document, address);
}

void ChromiumBrowser::killRenderer()
{
    m_rendererEnded = true;
    const qint64 pid = m_page ? m_page->renderProcessPid() : 0;
    if (killProcess(pid))
        m_killedPid = pid;
}

void ChromiumBrowser::readFromBytes(DocumentPtr partial)
{
    stopWork();
    m_partial = std::move(partial);
    if (!m_session) {
        m_failed = true;
        complete(nullptr, m_location);
        return;
    }
    m_state = State::Fetching;
    if (m_cut.isEmpty())
        m_cut = QStringLiteral("renderer");
    m_fallback = new FallbackDocument(m_session, *m_cache, m_workers, this);
    connect(m_fallback, &FallbackDocument::read, this,
            [this](const DocumentPtr& document) { later([this, document] { bytesRead(document); }); });
    // What is left of the page time-out, but never less than a reading gets.
    const qint64 remaining = qMax<qint64>(m_pageDeadline.remainingTime(), m_budget.readReserveMs());
    m_fallback->start(addressToFetch(m_partial ? m_partial->URL() : m_location), int(qMax<qint64>(remaining, kMinReadMs)));
}

void ChromiumBrowser::bytesRead(const DocumentPtr& document)
{
    if (m_state != State::Fetching)
        return;
    if (m_fallback)
        m_fallback->deleteLater();
    m_fallback = nullptr;
    if (const DocumentPtr partial = std::exchange(m_partial, nullptr)) {
        complete(document ? partial->withRestOfPage(document) : partial, partial->URL());
        return;
    }
    if (!document) {
        m_failed = true;
        complete(nullptr, m_location);
        return;
    }
    m_location = document->URL();
    if (!std::exchange(m_responseTold, true))
        emit navigateComplete2(m_location);
    if (m_state == State::Fetching) // unless the handler has navigated elsewhere
        complete(document, m_location);
}

void ChromiumBrowser::complete(DocumentPtr document, const QString& address)
{
    const quint64 navigation = m_navigation;
    m_state = State::Done;
    m_opening = false;
    if ((m_memoryCut || m_rendererEnded) && m_page) {
        // Read or not, the page does not stay: its scripts go with it, and the renderer's
        // memory; a renderer that ended is made again for the blank page.
        m_memoryCut = false;
        m_rendererEnded = false;
        m_page->allowBlankOnce();
        m_page->load(QUrl(QStringLiteral("about:blank")));
        m_blankPending = true;
    }
    m_document = document ? std::move(document)
                          : emptyDocument(address);
    // A page read only in part says so where its completion is shown.
    emit statusTextChange(m_cut.isEmpty() || m_failed ? QStringLiteral("完成")
                                                      : QStringLiteral("完成（页面只读取了一部分）"));
    if (navigation == m_navigation) // unless the handler has navigated elsewhere
        emit documentComplete(address);
}
