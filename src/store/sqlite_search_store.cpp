#include "store/sqlite_search_store.h"

#include "store/search_file_layout.h"
#include "store/search_file_marker.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {

QString lastError(const QSqlQuery& query)
{
    return query.lastError().text();
}

// Runs one statement; gives the reason when it failed.
std::optional<QString> run(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return lastError(query);
    return std::nullopt;
}

std::optional<QVariant> pragma(QSqlDatabase& db, const QString& name)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA ") + name) || !query.next())
        return std::nullopt;
    return query.value(0);
}

// Rolls the transaction back unless it was committed.
class Transaction {
public:
    explicit Transaction(QSqlDatabase& db) : m_db(db), m_open(db.transaction()) {}
    ~Transaction()
    {
        if (m_open)
            m_db.rollback();
    }
    bool isOpen() const { return m_open; }
    std::optional<QString> commit()
    {
        if (!m_db.commit())
            return m_db.lastError().text();
        m_open = false;
        return std::nullopt;
    }

private:
    QSqlDatabase& m_db;
    bool m_open;
};

std::optional<QString> writeSetting(QSqlDatabase& db, const char* name, const QString& value)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)"));
    query.addBindValue(QString::fromLatin1(name));
    query.addBindValue(value);
    if (!query.exec())
        return lastError(query);
    return std::nullopt;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<QString> writePages(QSqlDatabase& db, const QMap<int, StoredPage>& pages)
{
    if (pages.isEmpty())
        return std::nullopt;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO pages(position, title, address, status, depth)"
                                 " VALUES(?, ?, ?, ?, ?)"));
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        query.addBindValue(it.key());
        query.addBindValue(it->title);
        query.addBindValue(it->address);
        query.addBindValue(int(it->status));
        query.addBindValue(it->depth);
        if (!query.exec())
            return lastError(query);
    }
    return std::nullopt;
}

std::optional<QString> writePictures(QSqlDatabase& db, const QMap<int, PictureRow>& pictures)
{
    if (pictures.isEmpty())
        return std::nullopt;
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT OR REPLACE INTO pictures(record, file_name, address, type, size, title, source,"
        " width, height, download_status) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
        const PictureRow& row = *it;
        query.addBindValue(it.key());
        for (const QString* cell : {&row.fileName, &row.address, &row.type, &row.size, &row.title,
                                    &row.source, &row.width, &row.height, &row.downloadStatus})
            query.addBindValue(*cell);
        if (!query.exec())
            return lastError(query);
    }
    return std::nullopt;
}

std::optional<QString> writeSorts(QSqlDatabase& db, const QMap<int, PictureSort>& sorts)
{
    if (sorts.isEmpty())
        return std::nullopt;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO sorts(step, column_index, descending, records)"
                                 " VALUES(?, ?, ?, ?)"));
    for (auto it = sorts.cbegin(); it != sorts.cend(); ++it) {
        query.addBindValue(it.key());
        query.addBindValue(it->column);
        query.addBindValue(it->order == Qt::DescendingOrder ? 1 : 0);
        query.addBindValue(it->records);
        if (!query.exec())
            return lastError(query);
    }
    return std::nullopt;
}

// A code this program does not know resumes as a page still to load: nothing is lost.
PageStatus statusOfCode(const QVariant& code)
{
    switch (code.toInt()) {
    case int(PageStatus::Downloading): return PageStatus::Downloading;
    case int(PageStatus::Done): return PageStatus::Done;
    case int(PageStatus::Failed): return PageStatus::Failed;
    default: return PageStatus::Waiting;
    }
}

// Makes the tables of a new search file; the application id is already in its header.
std::optional<QString> createSchema(QSqlDatabase& db)
{
    Transaction transaction(db);
    if (!transaction.isOpen())
        return db.lastError().text();
    if (auto failure = createSearchTables(db))
        return failure;
    return transaction.commit();
}

// Brings a file of an earlier version to this one in one transaction, so that a failure
// leaves it as it was.
std::optional<QString> upgrade(QSqlDatabase& db, int version)
{
    Transaction transaction(db);
    if (!transaction.isOpen())
        return db.lastError().text();
    if (auto failure = upgradeSearchTables(db, version))
        return failure;
    return transaction.commit();
}

// Opens a file judged ours, empty or missing, and makes it a search file ready for writes.
std::optional<QString> prepareFile(QSqlDatabase& db, SearchFileKind kind)
{
    if (!db.open())
        return db.lastError().text();
    if (kind != SearchFileKind::Ours) {
        // Written first and outside the WAL, so that the mark is in the file's own header
        // before anything else is.
        if (auto failure = run(db, QStringLiteral("PRAGMA application_id = %1").arg(searchFileApplicationId)))
            return failure;
    }
    const std::optional<QVariant> version = pragma(db, QStringLiteral("user_version"));
    if (!version)
        return db.lastError().text();
    const int found = version->toInt();
    if (found < 0 || found > searchFileVersion) {
        return QStringLiteral("it is a search file of version %1, which this version of the program cannot read"
                              " (it reads versions 1 to %2); it was left as it is")
            .arg(found)
            .arg(searchFileVersion);
    }
    const std::optional<QVariant> mode = pragma(db, QStringLiteral("journal_mode = WAL"));
    if (!mode || mode->toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("the file cannot be written");
    // A kill never loses a commit in WAL mode; a power loss may lose the last few, never
    // the file.
    if (auto failure = run(db, QStringLiteral("PRAGMA synchronous = NORMAL")))
        return failure;
    if (found == 0)
        return createSchema(db);
    if (found < searchFileVersion) {
        if (auto failure = upgrade(db, found)) {
            return QStringLiteral("it is a search file of version %1 and could not be brought to version %2 (%3);"
                                  " it was left as it is")
                .arg(found)
                .arg(searchFileVersion)
                .arg(*failure);
        }
    }
    return std::nullopt;
}

QString newConnectionName()
{
    static QAtomicInteger<quint64> next;
    return QStringLiteral("quorvane-search-%1").arg(next.fetchAndAddRelaxed(1));
}

} // namespace

SqliteSearchStore::SqliteSearchStore(std::unique_ptr<QLockFile> lock, QString connectionName)
    : m_lock(std::move(lock)), m_connectionName(std::move(connectionName))
{
}

SqliteSearchStore::~SqliteSearchStore()
{
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::variant<StoredSearch, QString> SqliteSearchStore::read() const
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    // One read transaction, so that the three tables come from the same commit.
    Transaction transaction(db);
    StoredSearch search;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT title, address, status, depth FROM pages ORDER BY position")))
        return lastError(query);
    while (query.next()) {
        search.pages.append({query.value(0).toString(), query.value(1).toString(), statusOfCode(query.value(2)),
                             std::max(0, query.value(3).toInt())});
    }
    if (!query.exec(QStringLiteral("SELECT file_name, address, type, size, title, source, width,"
                                   " height, download_status FROM pictures ORDER BY record")))
        return lastError(query);
    while (query.next()) {
        PictureRow row;
        int column = 0;
        for (QString* cell : {&row.fileName, &row.address, &row.type, &row.size, &row.title,
                              &row.source, &row.width, &row.height, &row.downloadStatus})
            *cell = query.value(column++).toString();
        search.pictures.append(row);
    }
    if (!query.exec(QStringLiteral("SELECT column_index, descending, records FROM sorts ORDER BY step")))
        return lastError(query);
    while (query.next()) {
        search.sorts.append({query.value(0).toInt(), query.value(1).toInt() != 0 ? Qt::DescendingOrder : Qt::AscendingOrder,
                             query.value(2).toInt()});
    }
    if (!query.exec(QStringLiteral("SELECT name, value FROM settings")))
        return lastError(query);
    while (query.next()) {
        const QString name = query.value(0).toString();
        const QString value = query.value(1).toString();
        if (name == QLatin1String("site_list"))
            search.siteList = value;
        else if (name == QLatin1String("titles"))
            search.titles = value == QLatin1String("1");
        else if (name == QLatin1String("sources"))
            search.sources = value == QLatin1String("1");
        else if (name == QLatin1String("ended_cleanly"))
            search.endedCleanly = value == QLatin1String("1");
    }
    return search;
}

std::optional<QString> SqliteSearchStore::write(const StoreBatch& batch)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    Transaction transaction(db);
    if (!transaction.isOpen())
        return db.lastError().text();
    if (batch.replacesRows) {
        for (const char* table : {"pages", "pictures", "sorts"}) {
            if (auto failure = run(db, QStringLiteral("DELETE FROM ") + QLatin1String(table)))
                return failure;
        }
    }
    if (auto failure = writePages(db, batch.pages))
        return failure;
    if (auto failure = writePictures(db, batch.pictures))
        return failure;
    if (auto failure = writeSorts(db, batch.sorts))
        return failure;
    if (batch.siteList) {
        if (auto failure = writeSetting(db, "site_list", *batch.siteList))
            return failure;
    }
    if (batch.titles) {
        if (auto failure = writeSetting(db, "titles", flag(*batch.titles)))
            return failure;
    }
    if (batch.sources) {
        if (auto failure = writeSetting(db, "sources", flag(*batch.sources)))
            return failure;
    }
    if (batch.endedCleanly) {
        if (auto failure = writeSetting(db, "ended_cleanly", flag(*batch.endedCleanly)))
            return failure;
    }
    return transaction.commit();
}

std::optional<QString> SqliteSearchStore::clear()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    Transaction transaction(db);
    if (!transaction.isOpen())
        return db.lastError().text();
    for (const char* table : {"pages", "pictures", "sorts", "settings"}) {
        if (auto failure = run(db, QStringLiteral("DELETE FROM ") + QLatin1String(table)))
            return failure;
    }
    return transaction.commit();
}

std::variant<std::unique_ptr<SearchStore>, QString> openSearchStore(const QString& path)
{
    const SearchFileKind kind = searchFileKind(path);
    if (kind == SearchFileKind::Foreign)
        return QStringLiteral("%1 is not a search file of this program; it was left as it is").arg(path);

    // One search per file: a second program on the same file would interleave its rows.
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            return QStringLiteral("%1 is in use by another search").arg(path);
        return QStringLiteral("cannot write beside %1").arg(path);
    }

    const QString connection = newConnectionName();
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        failure = prepareFile(db, kind);
        if (failure)
            db.close();
    }
    if (failure) {
        QSqlDatabase::removeDatabase(connection);
        return QStringLiteral("cannot use %1: %2").arg(path, *failure);
    }
    return std::make_unique<SqliteSearchStore>(std::move(lock), connection);
}
