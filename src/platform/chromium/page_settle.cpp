#include "platform/chromium/page_settle.h"

#include "platform/chromium/request_activity.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// Scrolls to the bottom and gives the height it scrolled to.
const char* const kScrollScript = R"js((() => {
  const root = document.scrollingElement || document.documentElement;
  if (!root) return 0;
  const height = root.scrollHeight;
  window.scrollTo(0, height);
  return height;
})())js";

// How many resources the page and its readable frames have finished.
const char* const kFinishedResourcesScript = R"js((() => {
  let count = 0;
  const visit = (win, depth) => {
    try { count += win.performance.getEntriesByType('resource').length; } catch (e) { return; }
    if (depth >= 8) return;
    for (let i = 0; i < win.frames.length; ++i) visit(win.frames[i], depth + 1);
  };
  visit(window, 0);
  return count;
})())js";

constexpr int kQuietPollMs = 100;

} // namespace

PageSettle::PageSettle(QWebEnginePage* page, const RequestActivity* activity, SettleBudget budget,
                       QDeadlineTimer deadline, QObject* parent)
    : QObject(parent), m_page(page), m_activity(activity), m_budget(budget), m_deadline(deadline)
{
}

void PageSettle::start()
{
    m_phase.start();
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_quietPhase)
            quietCheck();
        else
            scrollStep();
    });
    m_timer.start(0);
}

void PageSettle::scrollStep()
{
    m_timer.setInterval(m_budget.scrollStepMs);
    const bool spent = m_steps >= m_budget.scrollSteps || m_phase.elapsed() >= m_budget.scrollMs
                       || m_deadline.hasExpired();
    if (spent || !m_page) {
        m_quietPhase = true;
        m_waitingForScript = false;
        m_phase.start();
        m_timer.setInterval(kQuietPollMs);
        return;
    }
    if (m_waitingForScript)
        return;
    m_waitingForScript = true;
    ++m_steps;
    m_page->runJavaScript(QString::fromLatin1(kScrollScript), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<PageSettle>(this)](const QVariant& result) {
                              if (!self || self->m_quietPhase)
                                  return;
                              self->m_waitingForScript = false;
                              const qint64 height = result.toLongLong();
                              if (height == self->m_lastHeight)
                                  self->m_steps = self->m_budget.scrollSteps; // it stopped growing
                              self->m_lastHeight = height;
                          });
}

void PageSettle::quietCheck()
{
    if (!m_page || m_phase.elapsed() >= m_budget.quietLimitMs || m_deadline.hasExpired()) {
        finish();
        return;
    }
    if (m_waitingForScript)
        return;
    m_waitingForScript = true;
    m_page->runJavaScript(QString::fromLatin1(kFinishedResourcesScript), QWebEngineScript::ApplicationWorld,
                          [self = QPointer<PageSettle>(this)](const QVariant& result) {
                              if (!self || self->m_done)
                                  return;
                              self->m_waitingForScript = false;
                              const int requests = self->m_activity ? self->m_activity->requestCount() : 0;
                              const qint64 entries = result.toLongLong();
                              if (requests != self->m_lastRequests || entries != self->m_lastEntries) {
                                  self->m_lastRequests = requests;
                                  self->m_lastEntries = entries;
                                  self->m_unchanged.start();
                                  return;
                              }
                              if (self->m_unchanged.elapsed() >= self->m_budget.quietMs)
                                  self->finish();
                          });
}

void PageSettle::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    emit settled();
}
