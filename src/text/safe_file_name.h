#pragma once

#include <QDir>
#include <QString>

// A file name for a downloaded picture, made from the list's file-name column so that it
// stays inside the chosen folder and every common file system accepts it: no path
// separators, no "..", no control characters, none of <>:"|*?, no reserved device name,
// no trailing dots or spaces, at most maxFileNameBytes of UTF-8 with the extension kept.
// An empty result becomes fallbackFileName (with the extension, when there was one).
QString safeFileName(const QString& name);

inline constexpr int maxFileNameBytes = 200;
inline constexpr auto fallbackFileName = "picture";

// The first of name, "stem (1).ext", "stem (2).ext", ... that nothing in folder holds yet
// (a dangling symbolic link counts as taken). name should already be safe.
QString freeFileName(const QDir& folder, const QString& name);
