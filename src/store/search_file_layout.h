#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The tables of a search file, by the version in its SQLite user_version:
//   1  pages and pictures as the tables showed them: the status as its shown text, the
//      pictures in table order, a sort rewriting them all.
//   2  a page's status as its PageStatus code, and its depth; the pictures by record
//      number (the order they were added), each header click one row of sorts.
//   3  each picture's PictureTable::storedKeyHash of its address, so that a table holding
//      only its first rows finds the others by address (indexed once one is looked up).
inline constexpr int searchFileVersion = 3;

// Both run inside a transaction the caller holds, and give the reason when a step failed.
// Makes the tables of the current version in an empty database and marks its version.
std::optional<QString> createSearchTables(QSqlDatabase& db);
// Brings the tables of an earlier version (1 to searchFileVersion - 1) to the current one.
std::optional<QString> upgradeSearchTables(QSqlDatabase& db, int version);
