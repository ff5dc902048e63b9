#include "app/crawl_timers.h"

#include "app/browser_slots.h"
#include "lists/page_table.h"
#include "platform/browser.h"

#include <vector>

std::optional<int> dispatchNextRow(BrowserSlots& browserSlots, PageTable& pages,
                                   const std::function<std::optional<int>()>& chooseRow)
{
    const std::optional<int> slot = browserSlots.firstFree();
    if (!slot)
        return std::nullopt;
    const std::optional<int> row = chooseRow ? chooseRow() : pages.firstWaiting();
    if (!row)
        return std::nullopt;
    pages.setStatus(*row, PageStatus::Downloading);
    browserSlots.loadPage(*slot, pages.row(*row).address, *row, pages);
    return row;
}

void releaseHeldSlots(BrowserSlots& browserSlots, double holdSeconds)
{
    const double now = browserSlots.now();
    for (int slot = 0; slot < browserSlots.count(); ++slot) {
        const BrowserSlot& s = browserSlots.at(slot);
        if (!s.isFree() && s.loaded && now - s.doneTime > holdSeconds)
            browserSlots.wb1初始化(slot);
    }
}

void resetOverdueSlots(BrowserSlots& browserSlots, double pageTimeout, double finishGrace)
{
    const double now = browserSlots.now();
    for (int slot = 0; slot < browserSlots.count(); ++slot) {
        BrowserSlot& s = browserSlots.at(slot);
        if (s.isFree() || now - s.startTime <= pageTimeout)
            continue;
        if (s.loaded || (s.finishAsked && now - *s.finishAsked > finishGrace)) {
            browserSlots.wb1初始化(slot);
        } else if (!s.finishAsked) {
            s.finishAsked = now;
            if (s.browser)
                s.browser->finishNow(); // its completion comes later, from the event loop
        }
    }
}

void failOverdueRows(PageTable& pages, double now, double pageTimeout, double finishGrace,
                     const QSet<int>& beingRead)
{
    std::vector<int> overdue;
    for (const int position : pages.downloadingPositions()) {
        const std::optional<double> dispatched = pages.tag(position);
        if (dispatched && now - *dispatched > pageTimeout + finishGrace && !beingRead.contains(position))
            overdue.push_back(position);
    }
    for (const int position : overdue)
        pages.setStatus(position, PageStatus::Failed);
}
