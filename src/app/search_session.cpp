#include "app/search_session.h"

#include "app/browser_events.h"
#include "app/crawl_timers.h"
#include "app/start_pages.h"
#include "app/status_panels.h"

#include <algorithm>
#include <climits>
#include <cmath>

SearchSession::SearchSession(QList<Browser*> browsers, const Clock& clock, const UrlCache* cache,
                             SearchPace pace, WorkerThreads* workers, QObject* parent)
    : QObject(parent), m_clock(clock), m_cache(cache), m_pace(pace), m_slots(browsers, clock), m_measuring(m_pictures),
      m_siteRules(clock, m_pages, m_sites, m_limits, &m_queryPages),
      m_reading(workers, [this](PageReading& page) {
          SearchTables tables{m_pages, m_pictures, m_sites, m_options, m_limits, m_awaiting.get(), &m_queryPages, &m_siteRules};
          const bool applied = applyPageReading(page, tables);
          if (applied)
              m_rowsBeingRead.remove(page.row);
          wake();
          return applied;
      })
{
    for (int slot = 0; slot < m_slots.count(); ++slot) {
        connectBrowser(slot, m_slots.at(slot).browser);
        m_slots.wb1初始化(slot);
    }
    for (QTimer* timer : {&m_timer1, &m_timer2, &m_timer3})
        timer->setInterval(qMax(0, m_pace.intervalMs));
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        timer1Tick();
        emit timerWorkDone();
    });
    connect(&m_timer2, &QTimer::timeout, this, [this] {
        timer2Tick();
        emit timerWorkDone();
    });
    connect(&m_timer3, &QTimer::timeout, this, [this] {
        timer3Tick();
        emit timerWorkDone();
    });
    connect(&m_siteRules, &SiteRules::changed, this, &SearchSession::wake);
    connect(&m_siteRules, &SiteRules::notice, this, [this](const QString& text) { setStatusPanel(3, text); });
    if (!isEventDriven()) {
        m_timer1.start();
        m_timer2.start();
        return;
    }
    for (QTimer* timer : {&m_wake, &m_deadline}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &SearchSession::runTimerWork);
    }
    connect(&m_pages, &QAbstractItemModel::rowsInserted, this, &SearchSession::wake);
    connect(&m_pages, &QAbstractItemModel::dataChanged, this, &SearchSession::wake);
    connect(&m_pictures, &QAbstractItemModel::rowsInserted, this, &SearchSession::wake);
    connect(&m_measuring, &PictureMeasuring::rowMeasured, this, &SearchSession::wake);
    wake();
}

SearchSession::~SearchSession() = default;

void SearchSession::connectBrowser(int slot, Browser* browser)
{
    if (!browser)
        return;
    connect(browser, &Browser::statusTextChange, this,
            [this](const QString& text) { setStatusPanel(3, text); });
    connect(browser, &Browser::progressChange, this, [this, slot](int progress, int maximum) {
        if (const std::optional<QString> text = loadProgressText(slot, progress, maximum))
            setStatusPanel(4, *text);
    });
    connect(browser, &Browser::documentComplete, this,
            [this, slot](const QString& address) { documentComplete(slot, address); });
}

void SearchSession::documentComplete(int slot, const QString& address)
{
    std::optional<PageReading> page = handleDocumentComplete(m_slots, slot, address, m_pages);
    if (page && page->failed && m_holds.putBack(m_pages, page->row, *m_slots.at(slot).browser, m_clock.now()))
        page.reset(); // asked to come back later
    if (page) {
        if (page->row > 0)
            m_rowsBeingRead.insert(page->row);
        m_reading.add([page = std::move(*page), cache = m_cache, measuring = isMeasuring()]() mutable {
            readPage(page, cache);
            if (measuring && cache)
                fillPictureFigures(page.pictures.rows, *cache);
            return std::move(page);
        });
    }
    wake();
}

void SearchSession::addStartPages(const QString& startText)
{
    ::addStartPages(startText, m_pages, m_sites);
}

void SearchSession::startSearch(const QString& startText)
{
    addStartPages(startText);
    m_siteRules.searchStarted();
    m_running = true;
    if (isEventDriven())
        wake();
    else if (!m_timer3.isActive())
        m_timer3.start();
}

void SearchSession::stopSearch()
{
    m_running = false;
    m_timer3.stop();
    for (int slot = 0; slot < m_slots.count(); ++slot)
        m_slots.wb1初始化(slot);
    setActivityColour(ActivityColour::White);
    wake();
}

void SearchSession::requeueAll(YesNoQuestion& question)
{
    if (!question.ask(tr("重新提取可能要花费很多时间，要继续吗？")))
        return;
    for (int position = 1; position <= m_pages.size(); ++position)
        m_pages.setStatus(position, PageStatus::Waiting);
}

void SearchSession::requeueFailed()
{
    for (int position = 1; position <= m_pages.size(); ++position) {
        if (m_pages.status(position) == PageStatus::Failed)
            m_pages.setStatus(position, PageStatus::Waiting);
    }
}

void SearchSession::setExtractTitles(bool on)
{
    m_options.titles = on;
}

void SearchSession::setExtractSources(bool on)
{
    m_options.sources = on;
}

void SearchSession::setCrawlLimits(const CrawlLimits& limits)
{
    m_limits = limits;
}

void SearchSession::setTypeProbe(TypeProbe* probe)
{
    m_awaiting = probe ? std::make_unique<PicturesAwaitingType>(*probe, m_pictures) : nullptr;
}

void SearchSession::setPictureProbe(PictureProbe* probe)
{
    m_measuring.setProbe(probe);
}

void SearchSession::setMeasuring(bool on)
{
    m_measuring.setEnabled(on);
}

bool SearchSession::isMeasuring() const
{
    return m_measuring.isEnabled();
}

const PictureMeasuring& SearchSession::pictureMeasuring() const
{
    return m_measuring;
}

bool SearchSession::extractTitles() const
{
    return m_options.titles;
}

bool SearchSession::extractSources() const
{
    return m_options.sources;
}

void SearchSession::restoreSiteList(const QString& text)
{
    // Each entry is its own site domain, so offering it as an address gives it back.
    for (const QString& entry : text.split(u'|', Qt::SkipEmptyParts))
        m_sites.addStartSite(QStringLiteral("http://") + entry);
}

bool SearchSession::isRunning() const
{
    return m_running;
}

bool SearchSession::isIdle() const
{
    return m_pages.waitingCount() == 0 && m_pages.downloadingCount() == 0 && m_slots.allFree()
           && !(m_awaiting && m_awaiting->isWaiting()) && !m_measuring.isBusy() && m_reading.isEmpty()
           && m_siteRules.isIdle();
}

PictureTable& SearchSession::pictureTable()
{
    return m_pictures;
}

PageTable& SearchSession::pageTable()
{
    return m_pages;
}

const SiteList& SearchSession::siteList() const
{
    return m_sites;
}

int SearchSession::slotCount() const
{
    return m_slots.count();
}

Browser* SearchSession::browser(int slot) const
{
    return m_slots.isSlot(slot) ? m_slots.at(slot).browser : nullptr;
}

QString SearchSession::statusPanel(int panel) const
{
    return panel >= 1 && panel <= int(m_panels.size()) ? m_panels.at(panel - 1) : QString();
}

ActivityColour SearchSession::activityColour() const
{
    return m_colour;
}

void SearchSession::timer1Tick()
{
    resetOverdueSlots(m_slots, m_pace.pageTimeout, m_pace.finishGrace);
    setStatusPanel(1, pictureTotalText(m_pictures.size()));
    setStatusPanel(2, pageTotalText(m_pages.size()));
    setStatusPanel(5, overallProgressText(m_lastDispatchedRow, m_pages.size()));
    const double now = m_clock.now();
    failOverdueRows(m_pages, now, m_pace.pageTimeout, m_pace.finishGrace, m_rowsBeingRead);
    if (now - m_slots.lastDispatchTime() > m_pace.pageTimeout)
        setActivityColour(ActivityColour::White);
}

void SearchSession::timer2Tick()
{
    releaseHeldSlots(m_slots, m_pace.holdSeconds);
}

void SearchSession::timer3Tick()
{
    dispatchOne();
}

bool SearchSession::dispatchOne()
{
    const double now = m_clock.now();
    const std::optional<int> row = dispatchNextRow(m_slots, m_pages, [this, now] {
        return m_siteRules.nextRow([this, now](const PageRow& page) { return m_holds.isHeld(page.address, now); });
    });
    if (!row)
        return false;
    m_siteRules.dispatched(*row);
    m_lastDispatchedRow = *row;
    setActivityColour(ActivityColour::LightGreen);
    return true;
}

void SearchSession::wake()
{
    if (isEventDriven() && !m_wake.isActive())
        m_wake.start(0);
}

void SearchSession::runTimerWork()
{
    timer1Tick();
    timer2Tick();
    // The deadlines are those the dispatch saw: a hold or Crawl-delay that passes while it
    // runs must still wake the search, or its rows would wait for the next page time-out.
    const double dispatchedAt = m_clock.now();
    // Without a period there is no pace to keep: every free slot gets a row now.
    while (m_running && dispatchOne()) {
    }
    armNextDeadline(dispatchedAt);
    emit timerWorkDone();
}

void SearchSession::armNextDeadline(double dispatchedAt)
{
    std::optional<double> next;
    auto consider = [&next](double at) {
        if (!next || at < *next)
            next = at;
    };
    for (int slot = 0; slot < m_slots.count(); ++slot) {
        const BrowserSlot& s = m_slots.at(slot);
        if (s.isFree())
            continue;
        consider(s.finishAsked ? *s.finishAsked + m_pace.finishGrace : s.startTime + m_pace.pageTimeout);
        if (s.loaded)
            consider(s.doneTime + m_pace.holdSeconds);
    }
    for (const int position : m_pages.downloadingPositions()) {
        if (const std::optional<double> dispatched = m_pages.tag(position))
            consider(*dispatched + m_pace.pageTimeout + m_pace.finishGrace);
    }
    if (m_colour == ActivityColour::LightGreen)
        consider(m_slots.lastDispatchTime() + m_pace.pageTimeout);
    if (const std::optional<double> opens = m_siteRules.nextOpening(dispatchedAt); opens && m_running)
        consider(*opens);
    if (const std::optional<double> release = m_holds.nextRelease(dispatchedAt))
        consider(*release);
    if (!next) {
        m_deadline.stop();
        return;
    }
    // The checks ask for "more than" the delay, so wake just past the deadline.
    const double waitMs = std::ceil((*next - m_clock.now()) * 1000) + 1;
    m_deadline.start(int(std::clamp(waitMs, 1.0, double(INT_MAX))));
}

void SearchSession::setStatusPanel(int panel, const QString& text)
{
    QString& current = m_panels.at(panel - 1);
    if (current == text)
        return;
    current = text;
    emit statusPanelChanged(panel, text);
}

void SearchSession::setActivityColour(ActivityColour colour)
{
    if (m_colour == colour)
        return;
    m_colour = colour;
    emit activityColourChanged(colour);
}
