#include "store/sqlite_search_store.h"

#include "store/search_file_layout.h"
#include "store/search_file_marker.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <unordered_map>

namespace {

// The pictures table's cells, in PictureTable::Column order.
const char* const pictureColumns[PictureTable::columnTotal] = {
    "file_name", "address", "type", "size", "title", "source", "width", "height", "download_status",
};

// The cells for a statement, in PictureTable::Column order.
QString pictureCells()
{
    QStringList names;
    for (const char* name : pictureColumns)
        names << QLatin1String(name);
    return names.join(QStringLiteral(", "));
}

// The row whose cells the query gives from column first on, in PictureTable::Column order.
PictureRow pictureAt(const QSqlQuery& query, int first)
{
    PictureRow row;
    for (QString* cell : {&row.fileName, &row.address, &row.type, &row.size, &row.title, &row.source, &row.width,
                          &row.height, &row.downloadStatus})
        *cell = query.value(first++).toString();
    return row;
}

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
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO pictures(record, %1, key_hash)"
                                 " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(pictureCells()));
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
        const PictureRow& row = *it;
        query.addBindValue(it.key());
        for (const QString* cell : {&row.fileName, &row.address, &row.type, &row.size, &row.title,
                                    &row.source, &row.width, &row.height, &row.downloadStatus})
            query.addBindValue(*cell);
        query.addBindValue(PictureTable::storedKeyHash(row.address));
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
    // A table's rows past those in memory are looked up by key hash at random: 8 MiB of
    // pages keep more of the index at hand than SQLite's own 2 MiB, at a bounded cost.
    if (auto failure = run(db, QStringLiteral("PRAGMA cache_size = -8192")))
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

// quorvane_sort_key(column, text): PictureTable::sortKey as a BLOB, which SQLite compares as
// the table compares keys: byte by byte, then by length.
void sortKeyFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    if (!text && sqlite3_value_type(arguments[1]) != SQLITE_NULL) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const QByteArray key = PictureTable::sortKey(PictureTable::Column(sqlite3_value_int(arguments[0])),
                                                 QString::fromUtf8(text, sqlite3_value_bytes(arguments[1])));
    sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

// quorvane_prior_row(record): the record's row in the order the user data points to, if any.
void priorRowFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const std::vector<quint32>* rows = *static_cast<const std::vector<quint32>* const*>(sqlite3_user_data(context));
    const sqlite3_int64 record = sqlite3_value_int64(arguments[0]);
    if (rows && record >= 0 && quint64(record) < rows->size())
        sqlite3_result_int64(context, (*rows)[size_t(record)]);
    else
        sqlite3_result_int64(context, record);
}

// Qt's driver gives its connection's handle; the program links the SQLite library that Qt's
// plugin links, so the handle is one this program's calls may use.
sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

QString newConnectionName()
{
    static QAtomicInteger<quint64> next;
    return QStringLiteral("quorvane-search-%1").arg(next.fetchAndAddRelaxed(1));
}

} // namespace

SqliteSearchStore::SqliteSearchStore(std::unique_ptr<QLockFile> lock, QString connectionName)
    : m_lock(std::move(lock)), m_connectionName(std::move(connectionName)), m_byKeyHash(database())
{
    // Neither is checked: a statement left unprepared, or one naming a function that is not
    // there, fails when run, and the archive answers nothing.
    m_byKeyHash.setForwardOnly(true);
    m_byKeyHash.prepare(QStringLiteral("SELECT record, address FROM pictures WHERE key_hash = ?"));
    if (sqlite3* handle = handleOf(database())) {
        sqlite3_create_function_v2(handle, "quorvane_sort_key", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   sortKeyFunction, nullptr, nullptr, nullptr);
        sqlite3_create_function_v2(handle, "quorvane_prior_row", 1, SQLITE_UTF8, &m_priorRows, priorRowFunction,
                                   nullptr, nullptr, nullptr);
    }
}

SqliteSearchStore::~SqliteSearchStore()
{
    m_byKeyHash = QSqlQuery(); // its statement goes before the connection
    database().close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase SqliteSearchStore::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

std::variant<StoredSearch, QString> SqliteSearchStore::read(int picturesAtMost) const
{
    QSqlDatabase db = database();
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
    if (!query.exec(QStringLiteral("SELECT count(*) FROM pictures")) || !query.next())
        return lastError(query);
    search.pictureRecords = query.value(0).toInt();
    query.prepare(QStringLiteral("SELECT %1 FROM pictures ORDER BY record LIMIT ?").arg(pictureCells()));
    query.addBindValue(std::max(0, picturesAtMost)); // a negative limit is none to SQLite
    if (!query.exec())
        return lastError(query);
    while (query.next())
        search.pictures.append(pictureAt(query, 0));
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
    QSqlDatabase db = database();
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
    QSqlDatabase db = database();
    Transaction transaction(db);
    if (!transaction.isOpen())
        return db.lastError().text();
    for (const char* table : {"pages", "pictures", "sorts", "settings"}) {
        if (auto failure = run(db, QStringLiteral("DELETE FROM ") + QLatin1String(table)))
            return failure;
    }
    return transaction.commit();
}

std::optional<std::vector<PictureRow>> SqliteSearchStore::archivedRows(std::span<const quint32> records) const
{
    // The numbers are written into the statement, a chunk at a time: SQLite bounds both a
    // statement's length and its parameters.
    constexpr size_t chunk = 4096;
    std::vector<PictureRow> rows(records.size());
    QSqlQuery query(database());
    query.setForwardOnly(true);
    for (size_t start = 0; start < records.size(); start += chunk) {
        const std::span<const quint32> part = records.subspan(start, std::min(chunk, records.size() - start));
        QString statement = QStringLiteral("SELECT record, %1 FROM pictures WHERE record IN (").arg(pictureCells());
        for (const quint32 record : part)
            statement += QString::number(record) + u',';
        statement.back() = u')';
        if (!query.exec(statement))
            return std::nullopt;
        std::unordered_map<quint32, PictureRow> found;
        while (query.next())
            found.emplace(quint32(query.value(0).toLongLong()), pictureAt(query, 1));
        if (query.lastError().isValid())
            return std::nullopt;
        for (size_t i = 0; i < part.size(); ++i) {
            if (const auto it = found.find(part[i]); it != found.end())
                rows[start + i] = it->second;
        }
    }
    return rows;
}

std::optional<std::vector<std::pair<quint32, QString>>> SqliteSearchStore::recordsWithKeyHash(qint64 keyHash) const
{
    // Made when a table first looks a row up in the file, which only a search past its rows
    // in memory does: kept up to date, an index of random hashes makes every commit write
    // pages all over it (about 20 times the bytes, measured at 800,000 rows).
    if (!m_keyHashesIndexed) {
        QSqlQuery index(database());
        if (!index.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS pictures_by_key_hash ON pictures(key_hash)")))
            return std::nullopt;
        m_keyHashesIndexed = true;
    }
    m_byKeyHash.bindValue(0, keyHash);
    if (!m_byKeyHash.exec())
        return std::nullopt;
    std::vector<std::pair<quint32, QString>> found;
    while (m_byKeyHash.next())
        found.emplace_back(quint32(m_byKeyHash.value(0).toLongLong()), m_byKeyHash.value(1).toString());
    const bool failed = m_byKeyHash.lastError().isValid();
    m_byKeyHash.finish(); // ends its read, which would hold back the WAL's checkpoints
    if (failed)
        return std::nullopt;
    return found;
}

bool SqliteSearchStore::readKeyHashes(quint32 first, quint32 end, const std::function<void(qint64)>& take) const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT key_hash FROM pictures WHERE record >= ? AND record < ?")))
        return false;
    query.addBindValue(qint64(first));
    query.addBindValue(qint64(end));
    if (!query.exec())
        return false;
    while (query.next())
        take(query.value(0).toLongLong());
    const bool failed = query.lastError().isValid();
    query.finish();
    return !failed;
}

std::optional<std::vector<quint32>> SqliteSearchStore::orderedRecords(int column, bool descending, quint32 records,
                                                                      const std::vector<quint32>& rowOfRecord) const
{
    if (column < 0 || column >= PictureTable::columnTotal)
        return std::nullopt;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT record FROM pictures WHERE record < ?"
                                      " ORDER BY quorvane_sort_key(%1, %2) %3, quorvane_prior_row(record)")
                           .arg(column)
                           .arg(QLatin1String(pictureColumns[column]), descending ? QStringLiteral("DESC") : QStringLiteral("ASC"))))
        return std::nullopt;
    query.addBindValue(qint64(records));
    m_priorRows = &rowOfRecord;
    const auto forget = qScopeGuard([this] { m_priorRows = nullptr; });
    if (!query.exec())
        return std::nullopt;
    std::vector<quint32> order;
    order.reserve(records);
    while (query.next())
        order.push_back(quint32(query.value(0).toLongLong()));
    // Fewer records than the table counts: the file lacks some the table handed over.
    if (query.lastError().isValid() || order.size() != records)
        return std::nullopt;
    return order;
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
