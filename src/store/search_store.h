#pragma once

#include "lists/page_table.h"
#include "lists/picture_table.h"

#include <QList>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

// One page-table row as the file keeps it; its position is its place in the list.
struct StoredPage {
    QString title;
    QString address;
    PageStatus status = PageStatus::Waiting;
    int depth = 0; // links followed from a start address to reach it
};

// Everything a search file holds.
struct StoredSearch {
    QList<StoredPage> pages;        // by position, from 1
    QList<PictureRow> pictures;     // by record number: in the order they were added
    int pictureRecords = 0;         // how many picture rows the file holds; pictures holds the first of them
    QList<PictureSort> sorts;       // the header clicks that order them, oldest first
    QString siteList;               // "|a.com|b.com.cn"
    bool titles = false;            // "提取标题"
    bool sources = false;           // "提取来源"
    bool endedCleanly = true;       // false from the first write until the search is closed
};

// What changed since the last write; empty members leave the file's values alone.
struct StoreBatch {
    QMap<int, StoredPage> pages;     // position (from 1) -> the row as it stands now
    QMap<int, PictureRow> pictures;  // record number (from 0) -> the row as it stands now
    QMap<int, PictureSort> sorts;    // step (from 0) -> the click
    // pages, pictures and sorts hold every row there is: the file's other rows go.
    bool replacesRows = false;
    std::optional<QString> siteList;
    std::optional<bool> titles;
    std::optional<bool> sources;
    std::optional<bool> endedCleanly;
};

// A search kept in one file, so that it survives a crash, a kill and a close. Nothing
// here changes a file that is not a search file: such a file is refused when opened.
class SearchStore {
public:
    virtual ~SearchStore() = default;

    // Everything committed so far, or the reason it could not be read; of the pictures, the
    // first picturesAtMost by record number.
    virtual std::variant<StoredSearch, QString> read(int picturesAtMost) const = 0;
    // One transaction: either the whole batch is in the file afterwards, or none of it
    // and the reason is given.
    virtual std::optional<QString> write(const StoreBatch& batch) = 0;
    // Empties the file for a new search (one transaction); gives the reason on failure.
    virtual std::optional<QString> clear() = 0;
    // The file as the archive of a table's later rows, when the store can be one.
    virtual PictureArchive* pictureArchive() { return nullptr; }
};

// Opens the search file at path, making it when there is none, and brings a file of an
// earlier version of the program to this one's layout. Gives the reason instead when the
// file cannot be made or opened for writing, is in use by another search, is not a search
// file, is of a later version, or cannot be brought to this layout (then it is left as it
// was, byte for byte).
std::variant<std::unique_ptr<SearchStore>, QString> openSearchStore(const QString& path);
