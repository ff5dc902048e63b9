#pragma once

#include <QtGlobal>

#include <algorithm>

// How long a page may take, phase by phase; every wait is bounded, and all of them together
// stay inside the search's page time-out.
struct SettleBudget {
    int scrollSteps = 20;     // scrolls to the bottom, until the page stops growing
    int scrollMs = 10'000;    // all scrolling together
    int scrollStepMs = 400;   // between two scrolls, for what a scroll sets loading
    int quietMs = 500;        // no new request for this long: the network is quiet
    int quietLimitMs = 10'000; // waiting for quiet, at most
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
