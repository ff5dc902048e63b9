#include "file_bytes.h"
#include "opened_store.h"
#include "store/search_store.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// An SQLite database of another program, made with statements of its own.
void makeSqlite(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements)
            QVERIFY2(QSqlQuery(db).exec(statement), qPrintable(statement));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
}

PictureRow pictureFrom(const QString& text)
{
    // Every column different, so that a column written into another shows.
    return {text + "1", text + "2", text + "3", text + "4", text + "5", text + "6", text + "7", text + "8", text + "9"};
}

QStringList cells(const PictureRow& row)
{
    return {row.fileName, row.address, row.type, row.size, row.title, row.source, row.width, row.height, row.downloadStatus};
}

QStringList pageCells(const StoredPage& page)
{
    return {page.title, page.address, QString::number(int(page.status)), QString::number(page.depth)};
}

// A search file exactly as version 1 of the program made it (its tables, its mark and its
// journal), holding one row of each kind it wrote.
QStringList version1File(const QString& picturesTable)
{
    return {"PRAGMA application_id = 1364610609", "PRAGMA journal_mode = WAL",
            "CREATE TABLE pages(position INTEGER PRIMARY KEY, key TEXT, title TEXT, address TEXT, status TEXT)",
            picturesTable, "CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT)",
            "INSERT INTO pages VALUES(1, 'http://a.com/', '[添加]', 'http://A.com/', '提取完成')",
            "INSERT INTO pages VALUES(2, 'http://a.com/w', '1', 'http://a.com/w', NULL)",
            "INSERT INTO pages VALUES(3, 'http://a.com/l', '1', 'http://a.com/l', '正在下载')",
            "INSERT INTO pages VALUES(4, 'http://a.com/f', '1', 'http://a.com/f', '下载出错')",
            "INSERT INTO pages VALUES(5, 'http://a.com/u', '1', 'http://a.com/u', 'downloading')",
            "INSERT INTO pictures VALUES(1, 'http://a.com/b.gif', 'b.gif', 'http://a.com/B.gif', 'gif', '1.000',"
            " 't', 's', '3', '4', '下载完成')",
            "INSERT INTO pictures VALUES(0, 'http://a.com/z.gif', 'z.gif', 'http://a.com/z.gif', 'gif', '', '', '',"
            " '', '', '')",
            "INSERT INTO settings VALUES('site_list', '|a.com')", "INSERT INTO settings VALUES('titles', '1')",
            "INSERT INTO settings VALUES('ended_cleanly', '0')", "PRAGMA user_version = 1"};
}

const char* const version1Pictures =
    "CREATE TABLE pictures(position INTEGER PRIMARY KEY, key TEXT, file_name TEXT, address TEXT, type TEXT,"
    " size TEXT, title TEXT, source TEXT, width TEXT, height TEXT, download_status TEXT)";

// A search file as version 2 of the program made it, holding version1File's two pictures by
// address alone.
QStringList version2File(const QString& picturesTable)
{
    return {"PRAGMA application_id = 1364610609", "PRAGMA journal_mode = WAL",
            "CREATE TABLE pages(position INTEGER PRIMARY KEY, title TEXT, address TEXT, status INTEGER NOT NULL,"
            " depth INTEGER NOT NULL)",
            picturesTable,
            "CREATE TABLE sorts(step INTEGER PRIMARY KEY, column_index INTEGER NOT NULL, descending INTEGER NOT NULL,"
            " records INTEGER NOT NULL)",
            "CREATE TABLE settings(name TEXT PRIMARY KEY, value TEXT)",
            "INSERT INTO pictures(record, address) VALUES(0, 'http://a.com/z.gif')",
            "INSERT INTO pictures(record, address) VALUES(1, 'http://a.com/B.gif')", "PRAGMA user_version = 2"};
}

const char* const version2Pictures =
    "CREATE TABLE pictures(record INTEGER PRIMARY KEY, file_name TEXT, address TEXT, type TEXT, size TEXT,"
    " title TEXT, source TEXT, width TEXT, height TEXT, download_status TEXT)";

} // namespace

class TestSearchStore : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void roundTripKeepsEveryColumn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "http://a.com/x.jpg";
        QTest::newRow("empty") << "";
        QTest::newRow("tabs and new lines") << "a\tb\nc\r\nd\re";
        QTest::newRow("CJK") << "http://例子.中国/图片/下载完成.jpg?标题=网页";
        QTest::newRow("quotes and statements") << "'; DROP TABLE pages; --\"";
        QTest::newRow("100 KB address") << "http://h/" + QString(100 * 1024, u'a') + ".gif";
        QTest::newRow("surrogate pairs") << "😀𠀀.png";
    }
    void roundTripKeepsEveryColumn()
    {
        QFETCH(QString, text);
        const QString file = path(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-') + ".sqlite");
        StoreBatch batch;
        batch.pages.insert(1, {"[添加]", text, PageStatus::Done, 0});
        batch.pages.insert(2, {text, "http://a.com/2", PageStatus::Downloading, 3});
        batch.pictures.insert(0, pictureFrom(text));
        batch.pictures.insert(1, pictureFrom("second"));
        batch.sorts.insert(0, {PictureTable::Size, Qt::DescendingOrder, 2});
        batch.siteList = "|" + text;
        batch.titles = true;
        batch.sources = true;
        batch.endedCleanly = false;
        {
            auto store = openStore(file);
            QVERIFY(store);
            QCOMPARE(store->write(batch), std::nullopt);
        }
        auto store = openStore(file);
        QVERIFY(store);
        const StoredSearch search = readAll(*store);
        QCOMPARE(search.pages.size(), 2);
        QCOMPARE(pageCells(search.pages.at(0)), pageCells(batch.pages[1]));
        QCOMPARE(pageCells(search.pages.at(1)), pageCells(batch.pages[2]));
        QCOMPARE(search.pictures.size(), 2);
        QCOMPARE(cells(search.pictures.at(0)), cells(pictureFrom(text)));
        QCOMPARE(cells(search.pictures.at(1)), cells(pictureFrom("second")));
        QCOMPARE(search.sorts, QList<PictureSort>({batch.sorts[0]}));
        QCOMPARE(search.siteList, "|" + text);
        QVERIFY(search.titles);
        QVERIFY(search.sources);
        QVERIFY(!search.endedCleanly);
    }

    void laterWritesReplaceRows()
    {
        auto store = openStore(path("later.sqlite"));
        QVERIFY(store);
        StoreBatch first;
        first.pages.insert(1, {"[添加]", "http://a.com/", PageStatus::Downloading, 0});
        first.pages.insert(2, {"1", "http://a.com/2", PageStatus::Waiting, 1});
        for (const QString name : {"c", "a", "b"})
            first.pictures.insert(int(first.pictures.size()), pictureFrom(name));
        first.sorts.insert(0, {PictureTable::FileName, Qt::DescendingOrder, 3});
        first.titles = true;
        QCOMPARE(store->write(first), std::nullopt);

        StoreBatch second; // the page completes, a click replaces the last, titles stay
        second.pages.insert(1, {"[添加]", "http://a.com/", PageStatus::Done, 0});
        second.pictures.insert(1, pictureFrom("x"));
        second.sorts.insert(0, {PictureTable::FileName, Qt::AscendingOrder, 3});
        QCOMPARE(store->write(second), std::nullopt);
        StoredSearch search = readAll(*store);
        QCOMPARE(search.pages.size(), 2);
        QCOMPARE(search.pages.at(0).status, PageStatus::Done);
        QCOMPARE(search.pictures.size(), 3);
        QCOMPARE(search.pictures.at(1).fileName, "x1");
        QCOMPARE(search.sorts, QList<PictureSort>({second.sorts[0]}));

        StoreBatch whole; // a table that shrank is written whole
        whole.replacesRows = true;
        whole.pages.insert(1, first.pages[1]);
        for (const QString name : {"a", "b"})
            whole.pictures.insert(int(whole.pictures.size()), pictureFrom(name));
        QCOMPARE(store->write(whole), std::nullopt);
        search = readAll(*store);
        QCOMPARE(search.pages.size(), 1);
        QCOMPARE(search.pictures.size(), 2);
        QCOMPARE(search.pictures.at(0).fileName, "a1");
        QCOMPARE(search.pictures.at(1).fileName, "b1");
        QVERIFY(search.sorts.isEmpty());
        QVERIFY(search.titles);
        QVERIFY(search.endedCleanly); // never marked otherwise

        QCOMPARE(store->clear(), std::nullopt);
        const StoredSearch cleared = readAll(*store);
        QVERIFY(cleared.pages.isEmpty() && cleared.pictures.isEmpty() && cleared.sorts.isEmpty() && !cleared.titles);
    }

    void acceptsNothingToLose_data()
    {
        QTest::addColumn<bool>("zeroBytes");
        QTest::newRow("no file") << false;
        QTest::newRow("zero-byte file") << true;
    }
    void acceptsNothingToLose()
    {
        QFETCH(bool, zeroBytes);
        const QString file = path(zeroBytes ? "zero.sqlite" : "new.sqlite");
        if (zeroBytes)
            QVERIFY(writeBytes(file, {}));
        auto store = openStore(file);
        QVERIFY(store);
        QVERIFY(readAll(*store).pages.isEmpty());
        StoreBatch batch;
        batch.pages.insert(1, {"1", "http://a.com/", PageStatus::Waiting, 0});
        QCOMPARE(store->write(batch), std::nullopt);
        QCOMPARE(bytesOf(file).left(16), QByteArray("SQLite format 3\0", 16));
    }

    void opensAFileOfVersion1Once()
    {
        const QString file = path("version-1.sqlite");
        makeSqlite(file, version1File(version1Pictures));
        for (int opening = 0; opening < 2; ++opening) {
            auto store = openStore(file);
            QVERIFY(store);
            const StoredSearch search = readAll(*store);
            QList<PageStatus> statuses;
            for (const StoredPage& page : search.pages)
                statuses << page.status;
            // An unknown text was resumed as waiting, and so it still is.
            QCOMPARE(statuses, QList<PageStatus>({PageStatus::Done, PageStatus::Waiting, PageStatus::Downloading,
                                                  PageStatus::Failed, PageStatus::Waiting}));
            QCOMPARE(search.pages.at(0).address, "http://A.com/");
            QCOMPARE(search.pictures.size(), 2); // in table order, which becomes the records' order
            QCOMPARE(cells(search.pictures.at(0)), QStringList({"z.gif", "http://a.com/z.gif", "gif", "", "", "", "", "", ""}));
            QCOMPARE(cells(search.pictures.at(1)), QStringList({"b.gif", "http://a.com/B.gif", "gif", "1.000", "t", "s", "3", "4", "下载完成"}));
            QVERIFY(search.sorts.isEmpty());
            QCOMPARE(search.siteList, "|a.com");
            QVERIFY(search.titles && !search.endedCleanly);
            QCOMPARE(search.pages.at(1).depth, opening); // the first opening's write is there
            StoreBatch later;
            later.pages.insert(2, {"1", "http://a.com/w", PageStatus::Waiting, 1});
            QCOMPARE(store->write(later), std::nullopt);
        }
    }

    void filesTheRowsOfEarlierVersionsByKeyHash_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::newRow("version 1") << version1File(version1Pictures);
        QTest::newRow("version 2") << version2File(version2Pictures);
    }
    void filesTheRowsOfEarlierVersionsByKeyHash()
    {
        QFETCH(QStringList, statements);
        const QString file = path(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-') + "-hashes.sqlite");
        makeSqlite(file, statements);
        auto store = openStore(file);
        QVERIFY(store && store->pictureArchive());
        using Found = std::vector<std::pair<quint32, QString>>;
        for (const quint32 record : {0u, 1u}) {
            const QString address = record == 0 ? "http://a.com/z.gif" : "http://a.com/B.gif";
            QCOMPARE(store->pictureArchive()->recordsWithKeyHash(PictureTable::storedKeyHash(address)),
                     Found({{record, address}}));
        }
    }

    void refusesWhatIsNotOurs_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("plain text") << "text";
        QTest::newRow("SQLite magic, cut short") << "short";
        QTest::newRow("SQLite of another shape") << "other";
        QTest::newRow("SQLite of another shape, WAL") << "other-wal";
        QTest::newRow("empty SQLite of another program") << "empty-sqlite";
        QTest::newRow("our mark, later schema version") << "later";
        QTest::newRow("version 1 that cannot be brought up") << "broken version 1";
        QTest::newRow("version 2 that cannot be brought up") << "broken version 2";
        QTest::newRow("a folder") << "folder";
    }
    void refusesWhatIsNotOurs()
    {
        QFETCH(QString, kind);
        QTemporaryDir own;
        const QString file = own.filePath("search.sqlite");
        if (kind == "text") {
            QVERIFY(writeBytes(file, "标题\t网址\nnot a database\n"));
        } else if (kind == "short") {
            QVERIFY(writeBytes(file, QByteArray("SQLite format 3\0", 16) + QByteArray(40, '\1')));
        } else if (kind == "other" || kind == "other-wal") {
            QStringList statements{"CREATE TABLE pages(id INTEGER, body BLOB)", "INSERT INTO pages VALUES(1, x'00ff')"};
            if (kind == "other-wal")
                statements.prepend("PRAGMA journal_mode = WAL");
            makeSqlite(file, statements);
        } else if (kind == "empty-sqlite") {
            makeSqlite(file, {"PRAGMA user_version = 7"});
        } else if (kind == "later") {
            QVERIFY(openStore(file));
            makeSqlite(file, {"PRAGMA journal_mode = DELETE", "PRAGMA user_version = 99"});
        } else if (kind == "broken version 1") {
            QStringList statements = version1File("CREATE TABLE pictures(position INTEGER PRIMARY KEY, file_name TEXT)");
            statements.removeIf([](const QString& statement) { return statement.startsWith("INSERT INTO pictures"); });
            makeSqlite(file, statements);
        } else if (kind == "broken version 2") { // no addresses to hash
            QStringList statements = version2File("CREATE TABLE pictures(record INTEGER PRIMARY KEY, file_name TEXT)");
            statements.removeIf([](const QString& statement) { return statement.startsWith("INSERT INTO pictures"); });
            makeSqlite(file, statements);
        } else {
            QVERIFY(QDir(own.path()).mkdir("search.sqlite"));
        }
        const QStringList before = QDir(own.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const QByteArray bytes = bytesOf(file);

        auto opened = openSearchStore(file);
        QVERIFY(std::holds_alternative<QString>(opened));
        QVERIFY2(std::get<QString>(opened).contains(file), qPrintable(std::get<QString>(opened)));
        if (kind == "later" || kind.startsWith("broken")) // the version is named
            QVERIFY(std::get<QString>(opened).contains(kind == "later" ? "version 99" : kind.mid(7)));
        QCOMPARE(bytesOf(file), bytes);
        QCOMPARE(QDir(own.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    }

    void refusesWhereItCannotWrite_data()
    {
        QTest::addColumn<QString>("place");
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("folder is a file") << "file";
        QTest::newRow("in use by another search") << "in use";
    }
    void refusesWhereItCannotWrite()
    {
        QFETCH(QString, place);
        QTemporaryDir own;
        QString file = own.filePath("search.sqlite");
        std::unique_ptr<SearchStore> holder;
        if (place == "read-only") {
            if (::geteuid() == 0)
                QSKIP("root writes into read-only folders");
            QVERIFY(QFile::setPermissions(own.path(), QFile::ReadOwner | QFile::ExeOwner));
        } else if (place == "file") {
            QVERIFY(writeBytes(own.filePath("plain"), "x"));
            file = own.filePath("plain/search.sqlite");
        } else {
            holder = openStore(file);
            QVERIFY(holder);
        }
        auto opened = openSearchStore(file);
        QFile::setPermissions(own.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(std::holds_alternative<QString>(opened));
        QVERIFY2(std::get<QString>(opened).contains(file), qPrintable(std::get<QString>(opened)));
        if (holder) // the first search is not disturbed
            QCOMPARE(holder->write(StoreBatch{}), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestSearchStore)
#include "test_search_store.moc"
