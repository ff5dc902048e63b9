#pragma once

#include <functional>
#include <optional>

class BrowserSlots;
class PageTable;

// The work of the three timers, apart from the status texts.

// Timer3: hands the first waiting row (or the one chooseRow gives) to the first free slot
// (at most one per call) and gives the position dispatched.
std::optional<int> dispatchNextRow(BrowserSlots& browserSlots, PageTable& pages,
                                   const std::function<std::optional<int>()>& chooseRow = {});

// Timer2: frees every busy slot whose first completion is more than holdSeconds old. What
// its pages gave may still be on its way to the tables: it carries the row to mark.
void releaseHeldSlots(BrowserSlots& browserSlots, double holdSeconds);

// Timer1, slot watchdog: frees every busy slot dispatched more than pageTimeout ago.
void resetOverdueSlots(BrowserSlots& browserSlots, double pageTimeout);

// Timer1, row watchdog: marks "下载出错" every row still loading more than pageTimeout after
// its dispatch.
void failOverdueRows(PageTable& pages, double now, double pageTimeout);
