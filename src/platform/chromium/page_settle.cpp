#include "platform/chromium/page_settle.h"

#include "platform/chromium/request_activity.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// Scrolls to the bottom when told to, and gives the height and how many resources the page
// and its readable frames have finished.
const char* const kLookScript = R"js(((scroll) => {
  const root = document.scrollingElement || document.documentElement;
  const height = root ? root.scrollHeight : 0;
  if (scroll && root) window.scrollTo(0, height);
  let finished = 0;
  const visit = (win, depth) => {
    try { finished += win.performance.getEntriesByType('resource').length; } catch (e) { return; }
    if (depth >= 8) return;
    for (let i = 0; i < win.frames.length; ++i) visit(win.frames[i], depth + 1);
  };
  visit(window, 0);
  return [height, finished];
})(%1))js";

constexpr int kLookMs = 50;

} // namespace

PageSettle::PageSettle(QWebEnginePage* page, const RequestActivity* activity, SettleBudget budget,
                       QDeadlineTimer deadline, QObject* parent)
    : QObject(parent), m_page(page), m_activity(activity), m_budget(budget), m_deadline(deadline)
{
}

void PageSettle::start()
{
    m_clock.start();
    m_unchanged.start();
    connect(&m_timer, &QTimer::timeout, this, &PageSettle::look);
    m_timer.start(kLookMs);
}

void PageSettle::look()
{
    if (!m_page || m_deadline.hasExpired() || m_clock.elapsed() >= m_budget.scrollMs + m_budget.quietLimitMs) {
        finish();
        return;
    }
    if (m_waitingForScript)
        return;
    m_waitingForScript = true;
    // Scrolled while it grows, within the scrolling's budget: what comes into sight loads.
    const bool scroll = m_growths < m_budget.scrollSteps && m_clock.elapsed() < m_budget.scrollMs;
    m_page->runJavaScript(QString::fromLatin1(kLookScript).arg(scroll ? "true" : "false"),
                          QWebEngineScript::ApplicationWorld,
                          [self = QPointer<PageSettle>(this)](const QVariant& result) {
                              if (self && !self->m_done)
                                  self->looked(result.toList());
                          });
}

void PageSettle::looked(const QVariantList& result)
{
    m_waitingForScript = false;
    const Look now{result.value(0).toLongLong(), result.value(1).toLongLong(),
                   m_activity ? m_activity->subresourceCount() : 0};
    if (now != m_last) {
        if (m_last.height >= 0 && now.height != m_last.height)
            ++m_growths;
        m_last = now;
        m_unchanged.start();
        return;
    }
    // Nothing has changed since the last look. When every request the page made has finished,
    // a short while says so; a request still open, or one the page cannot see (a frame of
    // another origin), gets the longer wait.
    const bool nothingOpen = now.finished >= now.requests;
    if (m_unchanged.elapsed() >= (nothingOpen ? m_budget.idleMs : m_budget.quietMs))
        finish();
}

void PageSettle::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    emit settled();
}
