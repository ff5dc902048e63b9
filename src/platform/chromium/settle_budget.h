#pragma once

#include <QtGlobal>

#include <algorithm>

// How long a page may take, phase by phase; every wait is bounded, and all of them together
// stay inside the search's page time-out.
struct SettleBudget {
    int scrollSteps = 20;     // times the page grew while it was scrolled to its bottom, at most
    int scrollMs = 10'000;    // all scrolling together
    // Nothing changed for this long, with every request the page made finished: it has settled.
    int idleMs = 200;
    // Nothing changed for this long, with a request open or one the page cannot see: settled.
    int quietMs = 500;
    int quietLimitMs = 10'000; // waiting past the scrolling, at most
    int loadMs = 60'000;      // from navigation to the end of loading, at most
    // A page whose document is parsed and whose network has neither started nor finished a
    // request for this long has stalled (a picture that never ends): it is stopped and read.
    int stallMs = 5'000;
    int snapshotMs = 10'000;  // reading the page, style sheets included, at most
    int pageMs = 60'000;      // the search's page time-out: the page completes before it
    // A renderer process that holds more than this is stopped and its page read as it is.
    qint64 rendererBytes = qint64(1) << 30;

    // What the phases may use of the page time-out, leaving time for the completion to reach
    // the search before it gives up on the page.
    int usableMs() const { return std::max(0, pageMs - std::min(2'000, pageMs / 10)); }
    // Loading may take half of it; reading keeps a quarter for itself.
    int loadShareMs() const { return std::min(loadMs, usableMs() / 2); }
    int readReserveMs() const { return std::min(snapshotMs, usableMs() / 4); }
};
