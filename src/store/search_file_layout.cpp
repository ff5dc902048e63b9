#include "store/search_file_layout.h"

#include "lists/page_table.h"
#include "lists/picture_table.h"

#include <QSqlError>
#include <QSqlQuery>

#include <utility>
#include <vector>

namespace {

// The codes are kept in files: a new status takes a new number, none is ever renumbered.
static_assert(int(PageStatus::Waiting) == 0 && int(PageStatus::Downloading) == 1 && int(PageStatus::Done) == 2
              && int(PageStatus::Failed) == 3);

const char* const createPages = "CREATE TABLE pages(position INTEGER PRIMARY KEY, title TEXT, address TEXT,"
                                " status INTEGER NOT NULL, depth INTEGER NOT NULL)";
const char* const createPictures = "CREATE TABLE pictures(record INTEGER PRIMARY KEY, file_name TEXT, address TEXT,"
                                   " type TEXT, size TEXT, title TEXT, source TEXT, width TEXT, height TEXT,"
                                   " download_status TEXT, key_hash INTEGER)";
const char* const createSorts = "CREATE TABLE sorts(step INTEGER PRIMARY KEY, column_index INTEGER NOT NULL,"
                                " descending INTEGER NOT NULL, records INTEGER NOT NULL)";

const char* const currentTables[] = {
    createPages, createPictures, createSorts,
    "CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT)",
};

// Version 1 kept the shown texts; a text it did not know resumed as waiting, and so does
// it here. Its pictures in table order become the records, in that order, with no click
// behind them; its keys (the address in lower case) go, as the tables make their own.
const char* const fromVersion1[] = {
    "ALTER TABLE pages RENAME TO pages_version_1",
    "ALTER TABLE pictures RENAME TO pictures_version_1",
    createPages, createPictures, createSorts,
    "INSERT INTO pages(position, title, address, status, depth)"
    " SELECT position, title, address, CASE status WHEN '正在下载' THEN 1 WHEN '提取完成' THEN 2"
    " WHEN '下载出错' THEN 3 ELSE 0 END, 0 FROM pages_version_1",
    "INSERT INTO pictures(record, file_name, address, type, size, title, source, width, height,"
    " download_status) SELECT position, file_name, address, type, size, title, source, width,"
    " height, download_status FROM pictures_version_1",
    "DROP TABLE pages_version_1",
    "DROP TABLE pictures_version_1",
};

std::optional<QString> run(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return query.lastError().text();
    return std::nullopt;
}

template <size_t n>
std::optional<QString> runAll(QSqlDatabase& db, const char* const (&statements)[n])
{
    for (const char* statement : statements) {
        if (auto failure = run(db, QString::fromUtf8(statement)))
            return failure;
    }
    return std::nullopt;
}

// The hash is the table's, computed here as SQLite cannot.
std::optional<QString> fillKeyHashes(QSqlDatabase& db)
{
    std::vector<std::pair<qint64, qint64>> hashes; // record, hash
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT record, address FROM pictures")))
        return query.lastError().text();
    while (query.next())
        hashes.emplace_back(query.value(0).toLongLong(), PictureTable::storedKeyHash(query.value(1).toString()));
    if (query.lastError().isValid())
        return query.lastError().text();
    query.finish();
    if (!query.prepare(QStringLiteral("UPDATE pictures SET key_hash = ? WHERE record = ?")))
        return query.lastError().text();
    for (const auto& [record, hash] : hashes) {
        query.addBindValue(hash);
        query.addBindValue(record);
        if (!query.exec())
            return query.lastError().text();
    }
    return std::nullopt;
}

std::optional<QString> markVersion(QSqlDatabase& db)
{
    return run(db, QStringLiteral("PRAGMA user_version = %1").arg(searchFileVersion));
}

} // namespace

std::optional<QString> createSearchTables(QSqlDatabase& db)
{
    if (auto failure = runAll(db, currentTables))
        return failure;
    return markVersion(db);
}

std::optional<QString> upgradeSearchTables(QSqlDatabase& db, int version)
{
    if (version != 1 && version != 2)
        return QStringLiteral("no way from version %1").arg(version);
    // Version 1's tables are made anew in the current shape; version 2's pictures gain a column.
    if (auto failure = version == 1 ? runAll(db, fromVersion1)
                                    : run(db, QStringLiteral("ALTER TABLE pictures ADD COLUMN key_hash INTEGER")))
        return failure;
    if (auto failure = fillKeyHashes(db))
        return failure;
    return markVersion(db);
}
