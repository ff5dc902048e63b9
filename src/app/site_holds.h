#pragma once

#include <QHash>
#include <QString>

#include <optional>

class Browser;
class PageTable;

// Sites that asked the search to come back later (429 or 503). The refused page waits again
// and no page of its site is dispatched until the site's time has come: the time the server
// named, or growing waits when it named none.
class SiteHolds {
public:
    static constexpr double kLongestWaitSeconds = 600; // a page asked to wait longer fails
    static constexpr int kRetriesUnnamed = 3;          // refusals that named no time
    static constexpr int kRetriesNamed = 10;           // a server that names a time every time
    static constexpr double kFirstWaitSeconds = 1;     // without a named time; doubled each retry

    // The page of row was refused with a wait of retryAfter seconds (0: none named). True
    // when it goes back to waiting with its site held; false when it has failed for good.
    bool refused(const QString& address, double retryAfter, double now);
    // After a completion: puts the row back to waiting when its browser was told to come
    // back and the page has retries left.
    bool putBack(PageTable& pages, int row, const Browser& browser, double now);
    // True while the address's site waits for the time it was told.
    bool isHeld(const QString& address, double now) const;
    // When the next held site may have a page again.
    std::optional<double> nextRelease(double now) const;

private:
    QHash<QString, double> m_until; // site -> clock time it is held till
    QHash<QString, int> m_retries;  // page address -> retries so far
};
