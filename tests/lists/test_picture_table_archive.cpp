#include "lists/picture_table.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <numeric>

namespace {

// An archive in memory that sorts by the keys the table gives, as the search file does.
class MemoryArchive final : public PictureArchive {
public:
    // What a write of the whole table does: every row as the table has it, then the table told.
    void take(PictureTable& table)
    {
        for (int row = 0; row < table.size(); ++row)
            rows[table.recordAt(row)] = table.row(row);
        table.rowsArchived();
    }

    std::optional<std::vector<PictureRow>> archivedRows(std::span<const quint32> records) const override
    {
        if (failing)
            return std::nullopt;
        std::vector<PictureRow> found;
        for (quint32 record : records)
            found.push_back(rows.contains(record) ? rows.at(record) : PictureRow{});
        return found;
    }
    std::optional<std::vector<std::pair<quint32, QString>>> recordsWithKeyHash(qint64 keyHash) const override
    {
        std::vector<std::pair<quint32, QString>> found;
        for (const auto& [record, row] : rows) {
            if (PictureTable::storedKeyHash(row.address) == keyHash)
                found.emplace_back(record, row.address);
        }
        return found;
    }
    bool readKeyHashes(quint32 first, quint32 end, const std::function<void(qint64)>& take) const override
    {
        if (failing)
            return false;
        for (auto row = rows.lower_bound(first); row != rows.end() && row->first < end; ++row)
            take(PictureTable::storedKeyHash(row->second.address));
        return true;
    }
    std::optional<std::vector<quint32>> orderedRecords(int column, bool descending, quint32 records,
                                                       const std::vector<quint32>& rowOfRecord) const override
    {
        std::vector<quint32> order(records);
        std::iota(order.begin(), order.end(), 0u);
        const auto key = [&](quint32 r) { return PictureTable::sortKey(PictureTable::Column(column), cell(rows.at(r), column)); };
        const auto prior = [&](quint32 r) { return r < rowOfRecord.size() ? rowOfRecord[r] : r; };
        std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
            const QByteArray ka = key(a), kb = key(b);
            if (ka != kb)
                return descending ? kb < ka : ka < kb;
            return prior(a) < prior(b);
        });
        return order;
    }

    std::map<quint32, PictureRow> rows;
    bool failing = false;

private:
    static QString cell(const PictureRow& row, int column)
    {
        const QString* cells[] = {&row.fileName, &row.address, &row.type,   &row.size,          &row.title,
                                  &row.source,   &row.width,   &row.height, &row.downloadStatus};
        return *cells[column];
    }
};

PictureRow pictureRow(const QString& name, const QString& size)
{
    PictureRow row;
    row.address = QStringLiteral("http://h/p/") + name;
    row.fileName = name;
    row.type = name.section(u'.', -1).toUpper();
    row.size = size;
    return row;
}

QStringList contents(const PictureTable& table)
{
    QStringList lines;
    for (int row = 0; row < table.size(); ++row) {
        const PictureRow r = table.row(row);
        lines << QStringList{r.fileName, r.address, r.type, r.size, r.title, r.width, r.height, r.downloadStatus}.join(u'|');
    }
    return lines;
}

} // namespace

class TestPictureTableArchive : public QObject {
    Q_OBJECT
private slots:
    // A table that hands rows to an archive shows, finds and orders exactly what one that
    // keeps them all does, through additions, duplicates, changes and header clicks.
    void archivedTableMatchesOneInMemory_data()
    {
        QTest::addColumn<int>("rowsInMemory");
        QTest::addColumn<int>("recentKept");
        QTest::newRow("nothing in memory") << 0 << 0;
        QTest::newRow("three in memory") << 3 << 0;
        // Rows archived while most still wait: their look-ups meet what the index kept of them.
        QTest::newRow("two in memory, two kept waiting") << 2 << 2;
    }
    void archivedTableMatchesOneInMemory()
    {
        QFETCH(int, rowsInMemory);
        QFETCH(int, recentKept);
        PictureTable plain;
        PictureTable kept;
        MemoryArchive archive;
        kept.keepRowsIn(&archive, rowsInMemory, recentKept);
        QObject::connect(&kept, &PictureTable::archiveWanted, [&] { archive.take(kept); });
        const auto both = [&](auto step) {
            step(plain);
            step(kept);
            QCOMPARE(contents(kept), contents(plain));
        };
        const auto add = [](std::vector<PictureRow> rows) {
            return [rows](PictureTable& table) { table.addRows(rows); };
        };

        both(add({pictureRow("b.jpg", "10"), pictureRow("A.gif", "9.5"), pictureRow("c.png", "")}));
        both(add({pictureRow("d.png", "1,234.5"), pictureRow("e.JPG", "0.5")}));
        archive.take(kept);
        // Duplicates of an archived row, of a row in memory, and within one batch.
        both(add({pictureRow("e.JPG#x", "7"), pictureRow("d.png", "2"), pictureRow("f.gif", "3"),
                  pictureRow("f.gif", "4")}));
        QCOMPARE(kept.size(), 6);
        both([](PictureTable& t) { t.setFigures(*t.rowOfAddress("http://h/p/d.png"), {2048, 30, 40}); });
        both([](PictureTable& t) { t.setCell(*t.rowOfAddress("http://h/p/b.jpg"), PictureTable::DownloadStatus, "下载完成"); });
        archive.take(kept);
        both([](PictureTable& t) { t.setFigures(*t.rowOfAddress("http://h/p/d.png"), {100, 7, 9}); });
        for (int column : {PictureTable::Size, PictureTable::FileName, PictureTable::Type, PictureTable::Width}) {
            both([column](PictureTable& t) { t.sortByColumnClick(column + 1); });
            QCOMPARE(kept.sorts(), plain.sorts());
        }
        both(add({pictureRow("a.bmp", "1"), pictureRow("c.png", "5")}));
        both([](PictureTable& t) { t.sortBy(PictureTable::Address, Qt::DescendingOrder); });
        for (const char* address : {"http://h/p/A.gif", "http://H/p/e.JPG", "http://h/p/a.bmp", "http://h/p/zz.png"})
            QCOMPARE(kept.rowOfAddress(address), plain.rowOfAddress(address));
    }

    // A resumed table holds rows of the archive that it never saw: a row found again is one
    // of them, not a new row, whether or not the archive could give their keys.
    void resumedTableFindsRowsItNeverSaw()
    {
        for (const bool keysReadable : {true, false}) {
            MemoryArchive archive;
            PictureTable first;
            first.keepRowsIn(&archive, 1, 0);
            first.addRows(std::vector{pictureRow("a.jpg", "1"), pictureRow("b.jpg", "2")});
            archive.take(first);
            PictureTable resumed;
            resumed.keepRowsIn(&archive, 1, 0);
            resumed.addRows(std::vector{archive.rows.at(0)});
            resumed.rowsArchived();
            archive.failing = !keysReadable;
            QVERIFY(resumed.appendArchived(1));
            archive.failing = false;
            resumed.addRow(pictureRow("b.jpg", "3"));
            QCOMPARE(resumed.rowOfAddress("http://h/p/b.jpg"), std::optional<int>(1));
        }
    }

    // A row the file cannot give shows empty, and a change to it must not write that
    // empty row over the file's.
    void unreadableRowIsLeftAsTheFileHasIt()
    {
        PictureTable table;
        MemoryArchive archive;
        table.keepRowsIn(&archive, 0, 0);
        table.addRow(pictureRow("a.jpg", "1"));
        archive.take(table);
        archive.take(table);
        archive.failing = true;
        QCOMPARE(table.cellText(0, PictureTable::Address), QString());
        table.setFigures(0, {4096, 10, 20});
        table.setCell(0, PictureTable::DownloadStatus, "下载完成");
        archive.failing = false;
        archive.take(table);
        QCOMPARE(archive.rows[0].address, QStringLiteral("http://h/p/a.jpg"));
        QCOMPARE(table.row(0).size, QStringLiteral("1"));
    }

    // Without a write that brings the archive up to date, a click cannot be honoured and
    // must not be recorded as if it had been.
    void sortWaitsForTheArchive()
    {
        PictureTable table;
        MemoryArchive archive;
        table.keepRowsIn(&archive, 1, 0);
        table.addRows(std::vector{pictureRow("b.jpg", "1"), pictureRow("a.jpg", "2")});
        table.sortBy(PictureTable::FileName, Qt::AscendingOrder);
        QVERIFY(table.sorts().empty());
        QCOMPARE(table.row(0).fileName, QStringLiteral("b.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestPictureTableArchive)
#include "test_picture_table_archive.moc"
