#pragma once

#include <QString>

// What lies at a search file's path, told from the file's first bytes alone, so that a
// file of another program is never opened by SQLite, let alone written.
enum class SearchFileKind {
    Missing,  // nothing there: a new search file may be made
    Empty,    // zero bytes: nothing to lose, taken as a new search file
    Ours,     // an SQLite database marked as a search file
    Foreign,  // anything else: left alone
};

// The application id in every search file's SQLite header ("QVN1").
inline constexpr quint32 searchFileApplicationId = 0x51564E31;

SearchFileKind searchFileKind(const QString& path);
