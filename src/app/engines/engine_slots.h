#pragma once

#include <QtGlobal>

#include <optional>

// Each Chromium slot keeps a renderer process with its page, scripts and pictures, so the
// slots a search may have are bounded by the memory the machine has free; the net engine's
// slots cost a page each and are not bounded here.
inline constexpr int kMostChromiumSlots = 8;
inline constexpr qint64 kChromiumSlotBytes = 256LL * 1024 * 1024; // a renderer on a busy page

// The Chromium slots a search gets when it asks for asked: at most kMostChromiumSlots and one
// per kChromiumSlotBytes of available memory, at least one. Unknown memory bounds nothing.
int chromiumSlotsAllowed(int asked, std::optional<qint64> availableBytes);

// The memory the kernel says could be given to programs now without swapping
// (MemAvailable), or nothing where it does not say.
std::optional<qint64> availableMemoryBytes();
