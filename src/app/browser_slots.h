#pragma once

#include <QList>
#include <QString>

#include <optional>

class Browser;
class Clock;
class PageTable;

// One browser slot: its browser and the six values the scheduler and the completion
// handling keep for it.
struct BrowserSlot {
    Browser* browser = nullptr;
    bool loaded = false;     // a completion was handled since the last dispatch or reset
    double startTime = 0;    // time of the last dispatch or reset
    int row = 0;             // page-table position being loaded; 0: none, or already marked
    double doneTime = 0;     // time of the first handled completion after the last dispatch
    int completeCount = 0;   // completions handled since the last dispatch or reset
    std::optional<double> finishAsked; // when its page, out of time, was told to finish now

    // Free while the browser's location is "about:blank", and only then.
    bool isFree() const;
};

// The browser slots and the two operations that start and end a slot's work.
class BrowserSlots {
public:
    BrowserSlots(const QList<Browser*>& browsers, const Clock& clock);

    int count() const { return int(m_slots.size()); }
    bool isSlot(int slot) const { return slot >= 0 && slot < m_slots.size(); }
    // slot must satisfy isSlot().
    BrowserSlot& at(int slot) { return m_slots[slot]; }
    const BrowserSlot& at(int slot) const { return m_slots.at(slot); }
    std::optional<int> firstFree() const;
    bool allFree() const;
    double now() const;
    double lastDispatchTime() const { return m_lastDispatchTime; }

    // Hands the page-table row at position row, whose address is given, to the slot.
    void loadPage(int slot, const QString& address, int row, PageTable& pages);
    // Ends whatever the slot was doing and sends its browser to "about:blank". The row it
    // was loading keeps its status; the row watchdog deals with it.
    void wb1初始化(int slot);

private:
    QList<BrowserSlot> m_slots;
    const Clock& m_clock;
    double m_lastDispatchTime = 0;
};
