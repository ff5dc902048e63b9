#include "opened_store.h"
#include "store/search_store.h"

#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

// Rows whose cells tie, differ only in letter case, and order differently as numbers and as
// text, or as UTF-8 and as UTF-16 (a letter beyond the BMP beside one near its end).
const PictureRow trickyRows[] = {
    {"b.jpg", "http://a.com/b.jpg", "jpg", "1.5", "Äpfel", "x", "100", "9", "下载完成"},
    {"B.JPG", "http://a.com/B2.JPG", "JPG", "", "äpfel", "X", "9", "", ""},
    {"ä.png", "http://a.com/ä.png", "png", "12", "Zebra", "", "", "100", "下载出错"},
    {"Ä.png", "http://a.com/Ä2.png", "PNG", "12", "zebra", "y", "100", "100", "下载完成"},
    {"𠀀.gif", "http://a.com/𠀀.gif", "gif", "1.5", "𠀀", "ｚ", "9", "1", ""},
    {"ｚ.gif", "http://a.com/ｚ.gif", "Gif", "", "ｚ", "𠀀", "", "9", "下载完成"},
    {"a.jpg", "http://a.com/a.jpg", "jpg", "9.5", "", "x", "1", "1", ""},
    {"b.jpg", "http://b.com/b.jpg", "JPG", "12", "Äpfel", "", "9", "", "下载出错"},
};
constexpr quint32 trickyTotal = std::size(trickyRows);

QStringList cells(const PictureRow& row)
{
    return {row.fileName, row.address, row.type, row.size, row.title, row.source, row.width, row.height, row.downloadStatus};
}

} // namespace

class TestPictureArchive : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    // A store at a file of its own holding rows as records 0 to rows.size() - 1.
    std::unique_ptr<SearchStore> storeWith(std::span<const PictureRow> rows)
    {
        static int files = 0;
        auto store = openStore(dir.filePath(QStringLiteral("archive-%1.sqlite").arg(files++)));
        if (!store)
            return nullptr;
        StoreBatch batch;
        for (const PictureRow& row : rows)
            batch.pictures.insert(int(batch.pictures.size()), row);
        if (store->write(batch))
            return nullptr;
        return store;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void ordersAsTheTable_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<bool>("sortedBefore");
        for (int column = 0; column < PictureTable::columnTotal; ++column) {
            for (const bool descending : {false, true}) {
                for (const bool sortedBefore : {false, true}) {
                    QTest::addRow("column %d %s%s", column, descending ? "descending" : "ascending",
                                  sortedBefore ? ", after another sort" : "")
                        << column << descending << sortedBefore;
                }
            }
        }
    }
    void ordersAsTheTable()
    {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(bool, sortedBefore);
        PictureTable table;
        QCOMPARE(table.addRows(trickyRows), int(trickyTotal));
        auto store = storeWith(trickyRows);
        QVERIFY(store && store->pictureArchive());

        std::vector<quint32> rowOfRecord; // empty while the table is in the order rows came
        if (sortedBefore) {
            table.sortBy(PictureTable::Type, Qt::DescendingOrder);
            for (quint32 record = 0; record < trickyTotal; ++record)
                rowOfRecord.push_back(quint32(table.rowOfRecord(record)));
        }
        table.sortBy(PictureTable::Column(column), descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        std::vector<quint32> expected;
        for (int row = 0; row < table.size(); ++row)
            expected.push_back(table.recordAt(row));

        PictureArchive& archive = *store->pictureArchive();
        QCOMPARE(archive.orderedRecords(column, descending, trickyTotal, rowOfRecord), expected);
        // A table that counts more records than the file holds gets no order at all.
        QCOMPARE(archive.orderedRecords(column, descending, trickyTotal + 1, rowOfRecord), std::nullopt);
    }

    void givesRowsInTheOrderAsked()
    {
        auto store = storeWith(trickyRows);
        QVERIFY(store);
        const quint32 asked[] = {2, trickyTotal, 0, 2};
        const auto found = store->pictureArchive()->archivedRows(asked);
        QVERIFY(found);
        QList<QStringList> got;
        for (const PictureRow& row : *found)
            got << cells(row);
        QCOMPARE(got, QList<QStringList>({cells(trickyRows[2]), cells(PictureRow{}), cells(trickyRows[0]),
                                          cells(trickyRows[2])}));
    }

    void findsRecordsByKeyHash()
    {
        auto store = storeWith(trickyRows);
        QVERIFY(store);
        PictureArchive& archive = *store->pictureArchive();
        using Found = std::vector<std::pair<quint32, QString>>;
        const QString filed = trickyRows[1].address;
        const QString elsewhere = "http://c.com/x.jpg";
        QCOMPARE(archive.recordsWithKeyHash(PictureTable::storedKeyHash(filed)), Found({{1u, filed}}));
        QCOMPARE(archive.recordsWithKeyHash(PictureTable::storedKeyHash(elsewhere)), Found());

        StoreBatch moved; // a record written again is filed under its new address alone
        moved.pictures.insert(1, {"x.jpg", elsewhere});
        QCOMPARE(store->write(moved), std::nullopt);
        QCOMPARE(archive.recordsWithKeyHash(PictureTable::storedKeyHash(filed)), Found());
        QCOMPARE(archive.recordsWithKeyHash(PictureTable::storedKeyHash(elsewhere)), Found({{1u, elsewhere}}));
        std::vector<qint64> hashes;
        QVERIFY(archive.readKeyHashes(1, 2, [&](qint64 hash) { hashes.push_back(hash); }));
        QCOMPARE(hashes, std::vector<qint64>{PictureTable::storedKeyHash(elsewhere)});
    }

    void readsTheFirstPictures_data()
    {
        QTest::addColumn<int>("atMost");
        QTest::addColumn<int>("expected");
        QTest::newRow("some") << 2 << 2;
        QTest::newRow("no bound") << std::numeric_limits<int>::max() << int(trickyTotal);
    }
    void readsTheFirstPictures()
    {
        QFETCH(int, atMost);
        QFETCH(int, expected);
        auto store = storeWith(trickyRows);
        QVERIFY(store);
        auto read = store->read(atMost);
        QVERIFY(std::holds_alternative<StoredSearch>(read));
        const StoredSearch& search = std::get<StoredSearch>(read);
        QCOMPARE(search.pictureRecords, int(trickyTotal));
        QCOMPARE(search.pictures.size(), expected);
        for (int record = 0; record < expected; ++record)
            QCOMPARE(search.pictures.at(record).address, trickyRows[record].address);
    }
};

QTEST_GUILESS_MAIN(TestPictureArchive)
#include "test_picture_archive.moc"
