#pragma once

// How long a page may take to settle after its load has finished; every wait is bounded.
struct SettleBudget {
    int scrollSteps = 20;     // scrolls to the bottom, until the page stops growing
    int scrollMs = 10'000;    // all scrolling together
    int scrollStepMs = 400;   // between two scrolls, for what a scroll sets loading
    int quietMs = 500;        // no new request for this long: the network is quiet
    int quietLimitMs = 10'000; // waiting for quiet, at most
    int loadMs = 60'000;      // from navigation to the end of loading, at most
    int snapshotMs = 10'000;  // reading the page, style sheets included, at most
};
