#include "file_bytes.h"
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

std::unique_ptr<SearchStore> open(const QString& path)
{
    auto opened = openSearchStore(path);
    if (const QString* reason = std::get_if<QString>(&opened)) {
        qWarning("%s", qPrintable(*reason));
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SearchStore>>(opened));
}

StoredSearch readAll(SearchStore& store)
{
    auto read = store.read();
    if (const QString* reason = std::get_if<QString>(&read))
        qFatal("read failed: %s", qPrintable(*reason));
    return std::get<StoredSearch>(read);
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
    return {page.title, page.address, page.status};
}

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
        batch.pages.insert(1, {"[添加]", text, "提取完成"});
        batch.pages.insert(2, {text, "http://a.com/2", "正在下载"});
        batch.pictures.insert(0, pictureFrom(text));
        batch.pictures.insert(1, pictureFrom("second"));
        batch.siteList = "|" + text;
        batch.titles = true;
        batch.sources = true;
        batch.endedCleanly = false;
        {
            auto store = open(file);
            QVERIFY(store);
            QCOMPARE(store->write(batch), std::nullopt);
        }
        auto store = open(file);
        QVERIFY(store);
        const StoredSearch search = readAll(*store);
        QCOMPARE(search.pages.size(), 2);
        QCOMPARE(pageCells(search.pages.at(0)), pageCells(batch.pages[1]));
        QCOMPARE(pageCells(search.pages.at(1)), pageCells(batch.pages[2]));
        QCOMPARE(search.pictures.size(), 2);
        QCOMPARE(cells(search.pictures.at(0)), cells(pictureFrom(text)));
        QCOMPARE(cells(search.pictures.at(1)), cells(pictureFrom("second")));
        QCOMPARE(search.siteList, "|" + text);
        QVERIFY(search.titles);
        QVERIFY(search.sources);
        QVERIFY(!search.endedCleanly);
    }

    void laterWritesReplaceRows()
    {
        auto store = open(path("later.sqlite"));
        QVERIFY(store);
        StoreBatch first;
        first.pages.insert(1, {"[添加]", "http://a.com/", "正在下载"});
        for (const QString name : {"c", "a", "b"})
            first.pictures.insert(int(first.pictures.size()), pictureFrom(name));
        first.titles = true;
        QCOMPARE(store->write(first), std::nullopt);

        StoreBatch second; // the page completes, the pictures are sorted, titles stay
        second.pages.insert(1, {"[添加]", "http://a.com/", "提取完成"});
        second.picturesReplaced = true;
        for (const QString name : {"a", "b"}) // a table that shrank is rewritten whole
            second.pictures.insert(int(second.pictures.size()), pictureFrom(name));
        QCOMPARE(store->write(second), std::nullopt);

        const StoredSearch search = readAll(*store);
        QCOMPARE(search.pages.size(), 1);
        QCOMPARE(search.pages.at(0).status, "提取完成");
        QCOMPARE(search.pictures.size(), 2);
        QCOMPARE(search.pictures.at(0).fileName, "a1");
        QCOMPARE(search.pictures.at(1).fileName, "b1");
        QVERIFY(search.titles);
        QVERIFY(search.endedCleanly); // never marked otherwise

        QCOMPARE(store->clear(), std::nullopt);
        const StoredSearch cleared = readAll(*store);
        QVERIFY(cleared.pages.isEmpty() && cleared.pictures.isEmpty() && !cleared.titles);
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
        auto store = open(file);
        QVERIFY(store);
        QVERIFY(readAll(*store).pages.isEmpty());
        StoreBatch batch;
        batch.pages.insert(1, {"1", "http://a.com/", ""});
        QCOMPARE(store->write(batch), std::nullopt);
        QCOMPARE(bytesOf(file).left(16), QByteArray("SQLite format 3\0", 16));
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
            QVERIFY(open(file));
            makeSqlite(file, {"PRAGMA journal_mode = DELETE", "PRAGMA user_version = 99"});
        } else {
            QVERIFY(QDir(own.path()).mkdir("search.sqlite"));
        }
        const QStringList before = QDir(own.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const QByteArray bytes = bytesOf(file);

        auto opened = openSearchStore(file);
        QVERIFY(std::holds_alternative<QString>(opened));
        QVERIFY2(std::get<QString>(opened).contains(file), qPrintable(std::get<QString>(opened)));
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
            holder = open(file);
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
