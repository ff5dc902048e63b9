#pragma once

#include "app/browser_events.h"
#include "app/browser_slots.h"
#include "app/clock.h"
#include "app/crawl_timers.h"
#include "app/ordered_work.h"
#include "app/picture_measuring.h"
#include "app/site_holds.h"
#include "app/site_rules.h"
#include "extract/picture_rows.h"
#include "extract/pictures_awaiting_type.h"
#include "links/harvest_rules.h"
#include "links/site_scope.h"
#include "lists/page_table.h"
#include "lists/picture_table.h"
#include "platform/browser.h"
#include "platform/url_cache.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <array>
#include <memory>

// The four numbers of the search's pace, and the grace of a page out of time.
struct SearchPace {
    int slotCount = 3;         // browser slots ("slots" is a Qt keyword)
    int intervalMs = 1000;     // period of Timer1, Timer2, Timer3 (0: whenever something changes)
    double holdSeconds = 10;   // a slot is released this long after its first completion
    double pageTimeout = 60;   // a slot and its row give up this long after dispatch
    double finishGrace = kFinishGraceSeconds; // then the page has this long to complete with what it has
};

// The one question the search asks ("全部重新搜索"); the window asks the user, the
// headless runner answers yes.
class YesNoQuestion {
public:
    virtual ~YesNoQuestion() = default;
    virtual bool ask(const QString& text) = 0;
};

enum class ActivityColour { White, LightGreen };

// The search without a window: page table, picture table, site list, browser slots, the
// three timers and the handling of browser events. The window and the headless runner own
// one each and only show and drive it.
class SearchSession : public QObject {
    Q_OBJECT
public:
    // browsers: one per slot (browsers.size() slots; pace.slotCount is the runner's business).
    // The session does not own the browsers, the clock, the cache or the workers that read
    // its pages (none: on this thread, at once).
    SearchSession(QList<Browser*> browsers, const Clock& clock, const UrlCache* cache,
                  SearchPace pace = {}, WorkerThreads* workers = nullptr, QObject* parent = nullptr);
    ~SearchSession() override;

    // Commands of the window.
    void addStartPages(const QString& startText); // "加入下载"
    void startSearch(const QString& startText);   // "开始搜索": addStartPages, then Timer3 on
    void stopSearch();                            // "停止搜索"
    void requeueAll(YesNoQuestion& question);     // "全部重新搜索"
    void requeueFailed();                         // "重新搜索出错项"
    void setExtractTitles(bool on);               // "提取标题"
    void setExtractSources(bool on);              // "提取来源"
    void setCrawlLimits(const CrawlLimits& limits); // the headless runner's --max-pages, --max-depth
    // Addresses without a type are asked about through the probe (not owned); without one
    // they give no row.
    void setTypeProbe(TypeProbe* probe);
    // Picture rows that come without a size or dimensions are measured through the probe
    // (not owned); without one only what the engine's cache holds fills them.
    void setPictureProbe(PictureProbe* probe);
    // On by default: rows get their size and dimensions while the search runs, from the
    // cache and the probe. Off: only what the page itself says.
    void setMeasuring(bool on);
    bool isMeasuring() const;
    const PictureMeasuring& pictureMeasuring() const;
    bool extractTitles() const;
    bool extractSources() const;
    // Puts back a site list as text() gave it, for a search that is resumed.
    void restoreSiteList(const QString& text);

    bool isRunning() const;  // Timer3 is on
    // No row waiting or loading, every slot free, no picture waiting for its type or being
    // measured and no page being read: the headless runner's end.
    bool isIdle() const;

    PictureTable& pictureTable();
    PageTable& pageTable();
    const SiteList& siteList() const;
    int slotCount() const;
    Browser* browser(int slot) const;
    SiteRules& siteRules() { return m_siteRules; } // robots.txt and sitemaps

    QString statusPanel(int panel) const; // panels 1 to 5
    ActivityColour activityColour() const;

    // The timers' work, public so that tests drive it on a fake clock.
    void timer1Tick();
    void timer2Tick();
    void timer3Tick();

signals:
    void statusPanelChanged(int panel, const QString& text);
    void activityColourChanged(ActivityColour colour);
    // After each tick of any of the three timers: the moment to ask isIdle().
    void timerWorkDone();

private:
    // With interval 0 the timers do not run; their work runs once after something changed
    // (a row added or marked, a picture added, a completion, a command) and when the
    // earliest hold, time-out or colour deadline is due. An idle search wakes nothing.
    bool isEventDriven() const { return m_pace.intervalMs == 0; }
    void wake();
    void runTimerWork();
    bool dispatchOne();
    void armNextDeadline(double dispatchedAt);
    void connectBrowser(int slot, Browser* browser);
    void documentComplete(int slot, const QString& address);
    void setStatusPanel(int panel, const QString& text);
    void setActivityColour(ActivityColour colour);

    const Clock& m_clock;
    const UrlCache* m_cache;
    SearchPace m_pace;
    PageTable m_pages;
    PictureTable m_pictures;
    SiteList m_sites;
    BrowserSlots m_slots;
    PictureOptions m_options;
    CrawlLimits m_limits;
    QueryPages m_queryPages;
    std::unique_ptr<PicturesAwaitingType> m_awaiting;
    PictureMeasuring m_measuring;
    SiteRules m_siteRules;
    int m_lastDispatchedRow = 0;
    std::array<QString, 5> m_panels;
    ActivityColour m_colour = ActivityColour::White;
    QTimer m_timer1; // watchdog and status bar
    QTimer m_timer2; // release after completion
    QTimer m_timer3; // dispatch, while the search runs
    bool m_running = false;
    QTimer m_wake;     // interval 0: the timers' work, once per batch of changes
    QTimer m_deadline; // interval 0: the next time-based work
    QSet<int> m_rowsBeingRead; // completed, their readings not yet applied: no watchdog fails them
    // Last: it waits for the pages being read, which read the cache, before the rest goes.
    OrderedWork<PageReading> m_reading;
    SiteHolds m_holds;
};
