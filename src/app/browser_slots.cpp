#include "app/browser_slots.h"

#include "app/clock.h"
#include "lists/page_table.h"
#include "platform/browser.h"
#include "text/address_kinds.h"

#include <algorithm>

namespace {
const QString blankPage = QStringLiteral("about:blank");
}

bool BrowserSlot::isFree() const
{
    return browser && isAboutBlank(browser->locationURL());
}

BrowserSlots::BrowserSlots(const QList<Browser*>& browsers, const Clock& clock) : m_clock(clock)
{
    m_slots.reserve(browsers.size());
    for (Browser* browser : browsers)
        m_slots.append(BrowserSlot{browser});
}

std::optional<int> BrowserSlots::firstFree() const
{
    for (int slot = 0; slot < m_slots.size(); ++slot) {
        if (m_slots.at(slot).isFree())
            return slot;
    }
    return std::nullopt;
}

bool BrowserSlots::allFree() const
{
    return std::all_of(m_slots.cbegin(), m_slots.cend(),
                       [](const BrowserSlot& slot) { return slot.isFree(); });
}

double BrowserSlots::now() const
{
    return m_clock.now();
}

void BrowserSlots::loadPage(int slot, const QString& address, int row, PageTable& pages)
{
    if (!isSlot(slot))
        return;
    BrowserSlot& s = m_slots[slot];
    s.loaded = false;
    s.startTime = m_clock.now();
    m_lastDispatchTime = s.startTime;
    pages.setTag(row, s.startTime);
    s.completeCount = 0;
    s.finishAsked.reset();
    s.row = row;
    if (s.browser)
        s.browser->navigate(address);
}

void BrowserSlots::wb1初始化(int slot)
{
    if (!isSlot(slot))
        return;
    BrowserSlot& s = m_slots[slot];
    s.loaded = false;
    s.startTime = m_clock.now();
    s.completeCount = 0;
    s.finishAsked.reset();
    s.row = 0;
    if (s.browser) {
        s.browser->navigate(blankPage);
    }
}
