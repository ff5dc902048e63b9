#pragma once

#include <QSet>

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

// A page that has run out of time has this long to complete with what it has, before its
// slot is freed and its row fails: about as long as parsing the largest page takes.
inline constexpr double kFinishGraceSeconds = 10;

// Timer1, slot watchdog: a busy slot dispatched more than pageTimeout ago is told to finish
// its page now; it is freed once its page has completed, or when finishGrace seconds have
// passed without a completion.
void resetOverdueSlots(BrowserSlots& browserSlots, double pageTimeout, double finishGrace);

// Timer1, row watchdog: marks "下载出错" every row still loading more than pageTimeout plus
// finishGrace after its dispatch, but none whose page has completed and is being read (rows
// of beingRead).
void failOverdueRows(PageTable& pages, double now, double pageTimeout, double finishGrace,
                     const QSet<int>& beingRead);
