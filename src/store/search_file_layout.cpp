#include "store/search_file_layout.h"

#include "lists/page_table.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The codes are kept in files: a new status takes a new number, none is ever renumbered.
static_assert(int(PageStatus::Waiting) == 0 && int(PageStatus::Downloading) == 1 && int(PageStatus::Done) == 2
              && int(PageStatus::Failed) == 3);

const char* const createPages = "CREATE TABLE pages(position INTEGER PRIMARY KEY, title TEXT, address TEXT,"
                                " status INTEGER NOT NULL, depth INTEGER NOT NULL)";
const char* const createPictures = "CREATE TABLE pictures(record INTEGER PRIMARY KEY, file_name TEXT, address TEXT,"
                                   " type TEXT, size TEXT, title TEXT, source TEXT, width TEXT, height TEXT,"
                                   " download_status TEXT)";
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
    if (version != 1)
        return QStringLiteral("no way from version %1").arg(version);
    if (auto failure = runAll(db, fromVersion1))
        return failure;
    return markVersion(db);
}
