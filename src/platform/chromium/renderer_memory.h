#pragma once

#include <QtGlobal>

#include <optional>

// The resident memory of a process, from /proc; nothing when it cannot be read (the process
// has ended, or the system has no /proc).
std::optional<qint64> residentBytes(qint64 pid);
