#pragma once

#include <QtGlobal>

#include <optional>

// The resident memory of a process, from /proc; nothing when it cannot be read (the process
// has ended, or the system has no /proc).
std::optional<qint64> residentBytes(qint64 pid);

// Ends a renderer process at once (SIGKILL): one whose parser heeds no stop. Never this
// program's own process, which a renderer run in process would name. False when no signal
// was sent.
bool killProcess(qint64 pid);
