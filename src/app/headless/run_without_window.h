#pragma once

#include <optional>

// What quorvane answers before anything needs a display, Widgets or Qt WebEngine: --help and
// --version in any mode, and a search without a window on the net engine, run in a
// QCoreApplication made here. Gives the exit status, or nothing when the command line asks
// for the window or the Chromium engine.
std::optional<int> runWithoutWindow(int& argc, char** argv);
