#include "lists/picture_table.h"
#include "text/size_format.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(PictureFigures)

namespace {

PictureRow pictureRow(const QString& address, const QString& fileName, const QString& type,
                      const QString& size)
{
    PictureRow row;
    row.address = address;
    row.fileName = fileName;
    row.type = type;
    row.size = size;
    return row;
}

// Five rows, named by their address's last letter; "b.jpg" and "B.JPG" are equal as text.
void fill(PictureTable& table)
{
    table.addRow(pictureRow("http://h/a", "b.jpg", "JPG", "10.000"));
    table.addRow(pictureRow("http://h/b", "A.gif", "GIF", "9.500"));
    table.addRow(pictureRow("http://h/c", "c.png", "PNG", ""));
    table.addRow(pictureRow("http://h/d", "a.bmp", "BMP", "1,234.568"));
    table.addRow(pictureRow("http://h/e", "B.JPG", "JPG", "0.500"));
}

QString order(const PictureTable& table)
{
    QString letters;
    for (int i = 0; i < table.size(); ++i)
        letters += table.row(i).address.right(1);
    return letters;
}

} // namespace

class TestPictureTable : public QObject {
    Q_OBJECT
private slots:
    void headerClicks_data();
    void headerClicks();
    void sizeSortLeavesCellsAsWritten();
    void rowsAddedAfterSortGoToTheEnd();
    void selectionFollowsItsRow();
    void emptyTableOnlyFlipsDirection();
    void duplicateAddressRejected();
    void addressCellNeverChanges();
    void textsReadBackExactly_data();
    void textsReadBackExactly();
    void keyIgnoresLetterCase_data();
    void keyIgnoresLetterCase();
    void textOrder_data();
    void textOrder();
    void manyRowsStayFindable();
    void packedCellsCanChange();
    void sizeBytesReadLikeText_data();
    void sizeBytesReadLikeText();
    void addRowsAsAddRow_data();
    void addRowsAsAddRow();
    void addRowsTellsTheViewOnce();
    void pooledTextsReadBack_data();
    void pooledTextsReadBack();
    void figuresFillTheirCells_data();
    void figuresFillTheirCells();
};

void TestPictureTable::headerClicks_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("sortKey");
    QTest::addColumn<bool>("descending");

    QTest::newRow("no click") << QList<int>{} << "abcde" << 0 << false;
    QTest::newRow("first click descends") << QList<int>{1} << "caebd" << 0 << true;
    QTest::newRow("second click reverses") << QList<int>{1, 1} << "dbaec" << 0 << false;
    QTest::newRow("address") << QList<int>{2} << "edcba" << 1 << true;
    QTest::newRow("type, equal keys keep order") << QList<int>{3} << "caebd" << 2 << true;
    QTest::newRow("size descending by value") << QList<int>{4} << "dabec" << 3 << true;
    QTest::newRow("size ascending, empty first") << QList<int>{4, 4} << "cebad" << 3 << false;
    QTest::newRow("direction is table-wide") << QList<int>{1, 4} << "cebad" << 3 << false;
    QTest::newRow("column 0 ignored") << QList<int>{0} << "abcde" << 0 << false;
    QTest::newRow("column 10 ignored") << QList<int>{10} << "abcde" << 0 << false;
    QTest::newRow("last column") << QList<int>{9, 9} << "abcde" << 8 << false;
}

void TestPictureTable::headerClicks()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, expected);
    QFETCH(int, sortKey);
    QFETCH(bool, descending);
    PictureTable table;
    fill(table);
    for (const int column : clicks)
        table.sortByColumnClick(column);
    QCOMPARE(order(table), expected);
    QCOMPARE(table.sortKey(), sortKey);
    QCOMPARE(table.sortOrder(), descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    // The address index follows the rows.
    for (int i = 0; i < table.size(); ++i)
        QCOMPARE(table.rowOfAddress(table.row(i).address), std::optional<int>(i));
}

void TestPictureTable::sizeSortLeavesCellsAsWritten()
{
    PictureTable table;
    fill(table);
    table.sortByColumnClick(4);
    table.sortByColumnClick(1);
    table.sortByColumnClick(4);
    QHash<QString, QString> sizes;
    for (int i = 0; i < table.size(); ++i)
        sizes.insert(table.row(i).address, table.data(table.index(i, PictureTable::Size)).toString());
    const QHash<QString, QString> written = {{"http://h/a", "10.000"}, {"http://h/b", "9.500"},
                                             {"http://h/c", ""}, {"http://h/d", "1,234.568"},
                                             {"http://h/e", "0.500"}};
    QCOMPARE(sizes, written);
}

void TestPictureTable::rowsAddedAfterSortGoToTheEnd()
{
    PictureTable table;
    fill(table);
    table.sortByColumnClick(4);
    table.sortByColumnClick(4);
    QVERIFY(table.addRow(pictureRow("http://h/f", "f.gif", "GIF", "5.000")));
    QVERIFY(table.addRow(pictureRow("http://h/g", "g.gif", "GIF", "")));
    QCOMPARE(order(table), QStringLiteral("cebadfg"));
    QCOMPARE(table.rowOfAddress("http://h/f"), std::optional<int>(5));
    QCOMPARE(table.rowOfAddress("HTTP://H/g"), std::optional<int>(6));
    table.sortByColumnClick(4);
    QCOMPARE(order(table), QStringLiteral("dabfecg"));
}

void TestPictureTable::selectionFollowsItsRow()
{
    PictureTable table;
    fill(table);
    const QPersistentModelIndex selected = table.index(3, PictureTable::Type); // row "d"
    table.sortByColumnClick(2);
    QVERIFY(selected.isValid());
    QCOMPARE(selected.row(), 1);
    QCOMPARE(selected.column(), int(PictureTable::Type));
    QCOMPARE(table.row(selected.row()).address, QStringLiteral("http://h/d"));
}

void TestPictureTable::emptyTableOnlyFlipsDirection()
{
    PictureTable table;
    table.sortByColumnClick(4);
    QCOMPARE(table.sortKey(), 3);
    QCOMPARE(table.sortOrder(), Qt::DescendingOrder);
    table.sortByColumnClick(7);
    QCOMPARE(table.sortKey(), 6);
    QCOMPARE(table.sortOrder(), Qt::AscendingOrder);
    QCOMPARE(table.rowCount(), 0);
}

void TestPictureTable::duplicateAddressRejected()
{
    PictureTable table;
    fill(table);
    QVERIFY(!table.addRow(pictureRow("HTTP://H/a#x", "other.jpg", "JPG", "1.000")));
    QCOMPARE(table.size(), 5);
    QCOMPARE(table.row(0).fileName, QStringLiteral("b.jpg"));
}

void TestPictureTable::addressCellNeverChanges()
{
    PictureTable table;
    fill(table);
    table.setCell(0, PictureTable::Address, "http://h/z");
    table.setCell(0, PictureTable::Width, "32");
    table.setCell(-1, PictureTable::Width, "1");
    table.setCell(5, PictureTable::Width, "1");
    QCOMPARE(table.row(0).address, QStringLiteral("http://h/a"));
    QCOMPARE(table.row(0).width, QStringLiteral("32"));
    QVERIFY(table.rowOfAddress("http://h/a").has_value());
    QVERIFY(!table.rowOfAddress("http://h/z").has_value());
}

void TestPictureTable::textsReadBackExactly_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("title");
    QTest::newRow("ascii, file name is the tail") << "http://h/a/b.gif" << "b.gif" << "1.000" << "T";
    QTest::newRow("file name not the tail") << "http://h/a/b.gif?x=1" << "b.gif" << "" << "";
    QTest::newRow("file name differs in case from the tail") << "http://h/a/B.GIF" << "b.gif" << "2.000" << "";
    QTest::newRow("file name is the whole address") << "b.gif" << "b.gif" << "" << "";
    QTest::newRow("cjk address and title") << "http://h/图片/猫.jpg" << "猫.jpg" << "3.500" << "标题";
    QTest::newRow("cjk file name, ascii address") << "http://h/x.jpg" << "猫.jpg" << "" << "";
    QTest::newRow("latin-1 letters") << "http://h/caf\u00e9.png" << "café.png" << "" << "Café";
    QTest::newRow("astral and lone surrogate") << QString("http://h/\U0001F600") + QChar(0xD800) + ".png" << "" << "" << "";
    QTest::newRow("zero character") << QString("http://h/a") + QChar(0) + "b.gif" << "b.gif" << "" << "";
    QTest::newRow("non-ascii size text") << "http://h/s.gif" << "s.gif" << "约 1 KB" << "";
    // Texts stored in pieces of 1 MiB: a row longer than a piece gets one of its own.
    QTest::newRow("ascii address past a storage piece") << "http://h/" + QString(1 << 20, 'a') + "/x.gif" << "x.gif" << "1.000" << "";
    QTest::newRow("cjk address past a storage piece") << "http://h/" + QString(600'000, QChar(0x732B)) << "猫" << "" << "T";
}

void TestPictureTable::textsReadBackExactly()
{
    QFETCH(QString, address);
    QFETCH(QString, fileName);
    QFETCH(QString, size);
    QFETCH(QString, title);
    PictureTable table;
    fill(table);
    const PictureRow row{fileName, address, "JPG", size, title, "http://h/", "", "", ""};
    QVERIFY(table.addRow(row));
    QVERIFY(table.addRow(pictureRow("http://h/after", "after", "", "")));
    const PictureRow back = table.row(5);
    QCOMPARE(back.address, address);
    QCOMPARE(back.fileName, fileName);
    QCOMPARE(back.size, size);
    QCOMPARE(back.title, title);
    QCOMPARE(back.source, QStringLiteral("http://h/"));
    QCOMPARE(table.row(6).fileName, QStringLiteral("after"));
    QCOMPARE(table.rowOfAddress(address), std::optional<int>(5));
}

void TestPictureTable::keyIgnoresLetterCase_data()
{
    // Scheme and host are compared without letter case; paths are the server's to tell apart.
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("found");
    QTest::newRow("scheme and host upper") << "http://h/Pic.GIF" << "HTTP://H/Pic.GIF" << true;
    QTest::newRow("path upper") << "http://h/Pic.GIF" << "http://h/PIC.gif" << false;
    QTest::newRow("ascii differs") << "http://h/pic.gif" << "http://h/pic.gif2" << false;
    QTest::newRow("non-ascii path upper") << "http://h/\u00c4.gif" << "http://h/\u00e4.gif" << false;
    QTest::newRow("non-ascii path, host upper") << "http://h/\u00c4.gif" << "http://H/\u00c4.gif" << true;
    QTest::newRow("cjk, host upper") << "http://h/猫.gif" << "http://H/猫.gif" << true;
    QTest::newRow("fragment") << "http://h/a.gif" << "http://h/a.gif#top" << true;
    QTest::newRow("default port") << "http://h/a.gif" << "http://h:80/a.gif" << true;
    QTest::newRow("prefix only") << "http://h/a.gif" << "http://h/a.gi" << false;
    QTest::newRow("stored with host upper") << "http://H/a.gif" << "http://h/a.gif" << true;
    QTest::newRow("stored with default port") << "http://h:80/a.gif" << "HTTP://h/a.gif" << true;
    QTest::newRow("stored with fragment, path differs") << "http://h/a.gif#x" << "http://h/A.gif" << false;
    QTest::newRow("stored without path") << "http://h" << "http://h/" << true;
    QTest::newRow("stored with fragment, asked without") << "http://h:8080/a.gif#x" << "http://h:8080/a.gif" << true;
    QTest::newRow("other fragments") << "http://h/a.gif#x" << "http://h/a.gif#y" << true;
    QTest::newRow("fragments, host upper") << "http://H/a.gif#x" << "http://h/a.gif#y" << true;
    QTest::newRow("fragments, paths differ") << "http://h/a.gif#x" << "http://h/b.gif#x" << false;
}

void TestPictureTable::keyIgnoresLetterCase()
{
    QFETCH(QString, stored);
    QFETCH(QString, asked);
    QFETCH(bool, found);
    PictureTable table;
    QVERIFY(table.addRow(pictureRow(stored, "", "", "")));
    QCOMPARE(table.containsAddress(asked), found);
    QCOMPARE(table.addRow(pictureRow(asked, "", "", "")), !found);
}

void TestPictureTable::textOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QList<int>>("ascending"); // positions of cells, in order
    QTest::newRow("addresses differing past a long common start")
        << 2 << QStringList{"http://h/gallery/2024/picture-0000000002.jpg", "http://h/gallery/2024/picture-0000000001.jpg",
                            "http://h/gallery/2024/picture-0000000001.jpeg"}
        << QList<int>{2, 1, 0};
    QTest::newRow("one address the start of another") << 2 << QStringList{"http://h/ab", "http://h/a", "http://h/abc"}
                                                       << QList<int>{1, 0, 2};
    QTest::newRow("file names, case ignored, ties keep order") << 1 << QStringList{"B", "a", "b", "A"}
                                                   << QList<int>{1, 3, 0, 2};
    QTest::newRow("non-ascii after ascii") << 2 << QStringList{"http://h/猫", "http://h/z", "http://h/\u00e9"}
                                           << QList<int>{1, 2, 0};
    QTest::newRow("non-ascii case folded") << 2 << QStringList{"http://h/\u00e9b", "http://h/\u00c9a"} << QList<int>{1, 0};
    QTest::newRow("zero character before the end") << 2 << QStringList{QString("http://h/a") + QChar(0), "http://h/a"}
                                                   << QList<int>{1, 0};
    QTest::newRow("titles, pooled") << 5 << QStringList{"beta", "Alpha", "", "alpha", "beta"} << QList<int>{2, 1, 3, 0, 4};
    QTest::newRow("sources, pooled") << 6 << QStringList{"http://h/2", "http://h/1", "http://h/2"} << QList<int>{1, 0, 2};
    QTest::newRow("widths by value, no number first") << 7 << QStringList{"1000", "200", "", "x", "30"}
                                                      << QList<int>{2, 3, 4, 1, 0};
    QTest::newRow("heights by value, ties keep order") << 8 << QStringList{"20", "3", "20", "100"}
                                                       << QList<int>{1, 0, 2, 3};
}

void TestPictureTable::textOrder()
{
    QFETCH(int, column);
    QFETCH(QStringList, cells);
    QFETCH(QList<int>, ascending);
    PictureTable table;
    for (int i = 0; i < cells.size(); ++i) {
        PictureRow row;
        row.address = column == 2 ? cells.at(i) : QStringLiteral("http://h/%1").arg(i);
        row.fileName = column == 1 ? cells.at(i) : QString();
        row.title = column == 5 ? cells.at(i) : QString();
        row.source = column == 6 ? cells.at(i) : QString();
        row.width = column == 7 ? cells.at(i) : QString();
        row.height = column == 8 ? cells.at(i) : QString();
        QVERIFY(table.addRow(row));
    }
    table.sortByColumnClick(column);
    table.sortByColumnClick(column);
    QStringList shown;
    QStringList expected;
    for (int i = 0; i < cells.size(); ++i) {
        shown.append(table.cellText(i, PictureTable::Column(column - 1)));
        expected.append(cells.at(ascending.at(i)));
    }
    QCOMPARE(shown, expected);
}

void TestPictureTable::manyRowsStayFindable()
{
    // Enough rows to grow the address index several times, before and after a sort.
    PictureTable table;
    const int rows = 20000;
    for (int i = 0; i < rows; ++i)
        QVERIFY(table.addRow(pictureRow(QStringLiteral("http://h/%1.gif").arg(i), {}, {}, QString::number(i % 97))));
    table.sortByColumnClick(4);
    for (int i = 0; i < rows; i += 7) {
        const std::optional<int> row = table.rowOfAddress(QStringLiteral("HTTP://H/%1.gif").arg(i));
        QVERIFY(row.has_value());
        QCOMPARE(table.cellText(*row, PictureTable::Address), QStringLiteral("http://h/%1.gif").arg(i));
    }
    QVERIFY(!table.addRow(pictureRow(QStringLiteral("http://h/19999.gif"), {}, {}, {})));
    QCOMPARE(table.size(), rows);
}

void TestPictureTable::packedCellsCanChange()
{
    PictureTable table;
    fill(table);
    table.sortByColumnClick(2);
    const int d = *table.rowOfAddress("http://h/d");
    table.setCell(d, PictureTable::FileName, "新.bmp");
    table.setCell(d, PictureTable::Size, "2.000");
    table.setCell(d, PictureTable::DownloadStatus, "完成");
    const PictureRow row = table.row(d);
    QCOMPARE(row.fileName, QStringLiteral("新.bmp"));
    QCOMPARE(row.size, QStringLiteral("2.000"));
    QCOMPARE(row.address, QStringLiteral("http://h/d"));
    QCOMPARE(row.type, QStringLiteral("BMP"));
    QCOMPARE(row.downloadStatus, QStringLiteral("完成"));
    QCOMPARE(table.rowOfAddress("http://h/d"), std::optional<int>(d));
}

void TestPictureTable::sizeBytesReadLikeText_data()
{
    QTest::addColumn<QString>("cell");
    for (const char* cell : {"", "0.500", "1,234.568", "1,000,000.000", "12", "5.", ".5", ".", ",", "1.2.3",
                             " 7.000 ", "-1.000", "+2", "1e3", "abc", "nan", "inf", "99999999999999999999999999"})
        QTest::newRow(*cell ? cell : "empty") << QString::fromLatin1(cell);
}

void TestPictureTable::sizeBytesReadLikeText()
{
    QFETCH(QString, cell);
    const QByteArray bytes = cell.toLatin1();
    QCOMPARE(sizeCellValue(std::string_view(bytes.constData(), size_t(bytes.size()))), sizeCellValue(cell));
}

void TestPictureTable::addRowsAsAddRow_data()
{
    QTest::addColumn<QStringList>("before"); // added one by one, then sorted by type
    QTest::addColumn<QStringList>("batch");
    QTest::addColumn<int>("added");

    QTest::newRow("empty batch") << QStringList{"http://h/a"} << QStringList{} << 0;
    QTest::newRow("all new") << QStringList{} << QStringList{"http://h/a", "http://h/b", "http://h/c"} << 3;
    QTest::newRow("repeat inside the batch") << QStringList{} << QStringList{"http://h/a", "http://h/b", "http://h/a"}
                                             << 2;
    QTest::newRow("case and fragment repeat inside the batch")
        << QStringList{} << QStringList{"http://h/x", "HTTP://H/x#f"} << 1;
    QTest::newRow("built keys repeat inside the batch")
        << QStringList{} << QStringList{"http://H:80/a", "http://H/a", "http://h/b", "http://h/a"} << 2;
    QTest::newRow("repeat of a row there before") << QStringList{"http://h/a", "HTTP://H/b"}
                                                  << QStringList{"http://h/c", "http://h/b", "http://h/a#x"} << 1;
    QTest::newRow("paths differing in case") << QStringList{"http://h/a"} << QStringList{"http://h/A", "http://h/a"}
                                             << 1;
    QTest::newRow("after a sort") << QStringList{"http://h/c", "http://h/a", "http://h/b"}
                                  << QStringList{"http://h/d", "http://h/a", "http://h/e"} << 2;
}

void TestPictureTable::addRowsAsAddRow()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, batch);
    QFETCH(int, added);
    PictureTable together;
    PictureTable oneByOne;
    for (PictureTable* table : {&together, &oneByOne}) {
        for (const QString& address : before)
            table->addRow(pictureRow(address, "before", address.right(1), ""));
        table->sortByColumnClick(3);
    }
    // The file name tells which of two rows with one key was kept.
    QList<PictureRow> rows;
    for (int i = 0; i < batch.size(); ++i)
        rows.append(pictureRow(batch.at(i), QString::number(i), i % 2 ? "b" : "new", QString::number(i)));
    QCOMPARE(together.addRows(rows), added);
    for (const PictureRow& row : rows)
        oneByOne.addRow(row);
    QCOMPARE(together.size(), oneByOne.size());
    for (int i = 0; i < together.size(); ++i) {
        QCOMPARE(together.row(i).address, oneByOne.row(i).address);
        QCOMPARE(together.row(i).fileName, oneByOne.row(i).fileName);
        QCOMPARE(together.row(i).type, oneByOne.row(i).type);
        QCOMPARE(together.row(i).size, oneByOne.row(i).size);
        QCOMPARE(together.rowOfAddress(together.row(i).address), std::optional<int>(i));
    }
    for (const QString& address : batch)
        QCOMPARE(together.rowOfAddress(address), oneByOne.rowOfAddress(address));
}

void TestPictureTable::addRowsTellsTheViewOnce()
{
    PictureTable table;
    fill(table);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    QList<std::pair<int, bool>> seen; // row count and whether a coming row is found, before the insertion
    connect(&table, &QAbstractItemModel::rowsAboutToBeInserted, this, [&] {
        seen.append({table.rowCount(), table.containsAddress("http://h/f")});
    });
    const QList<PictureRow> rows = {pictureRow("http://h/f", "f", "", ""), pictureRow("http://h/a", "a", "", ""),
                                    pictureRow("http://h/g", "g", "", "")};
    QCOMPARE(table.addRows(rows), 2);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 5);
    QCOMPARE(inserted.at(0).at(2).toInt(), 6);
    QCOMPARE(seen, (QList<std::pair<int, bool>>{{5, false}}));
    QVERIFY(table.containsAddress("http://h/f"));
    // Nothing new: the view hears nothing.
    QCOMPARE(table.addRows(rows), 0);
    QCOMPARE(inserted.size(), 1);
}

void TestPictureTable::pooledTextsReadBack_data()
{
    QTest::addColumn<int>("distinct");
    QTest::newRow("one text") << 1;
    QTest::newRow("a few texts") << 3;
    QTest::newRow("enough texts to grow the pool's index") << 3000;
    QTest::newRow("every row its own") << 9000;
}

void TestPictureTable::pooledTextsReadBack()
{
    QFETCH(int, distinct);
    PictureTable table;
    const int rows = 9000;
    for (int i = 0; i < rows; ++i) {
        PictureRow row = pictureRow(QStringLiteral("http://h/%1").arg(i), {}, {}, {});
        // Every seventh row has none; the others a text built afresh, never shared with an earlier row.
        row.title = i % 7 == 0 ? QString() : QStringLiteral("title %1").arg(i % distinct);
        row.source = QStringLiteral("http://h/page%1.htm").arg(i % distinct);
        table.addRow(row);
    }
    for (int i = 0; i < rows; ++i) {
        const PictureRow row = table.row(i);
        QCOMPARE(row.title, i % 7 == 0 ? QString() : QStringLiteral("title %1").arg(i % distinct));
        QCOMPARE(row.source, QStringLiteral("http://h/page%1.htm").arg(i % distinct));
    }
}

void TestPictureTable::figuresFillTheirCells_data()
{
    // Row "d" holds the size "1,234.568", width "7" and height "8" before the figures come.
    QTest::addColumn<PictureFigures>("figures");
    QTest::addColumn<QStringList>("cells"); // size, width, height after
    QTest::addColumn<QList<int>>("told");   // the columns of the one change the view hears of

    const QStringList before = {"1,234.568", "7", "8"};
    QTest::newRow("none") << PictureFigures{} << before << QList<int>{};
    QTest::newRow("size only") << PictureFigures{2048, {}, {}} << QStringList{"2.000", "7", "8"}
                               << QList<int>{3, 3};
    QTest::newRow("width and height only") << PictureFigures{{}, 1000, 200} << QStringList{"1,234.568", "1000", "200"}
                                           << QList<int>{6, 7};
    QTest::newRow("height only") << PictureFigures{{}, {}, 9} << QStringList{"1,234.568", "7", "9"}
                                 << QList<int>{7, 7};
    QTest::newRow("all three") << PictureFigures{0, 1, 1} << QStringList{"0.000", "1", "1"} << QList<int>{3, 7};
    QTest::newRow("the same figures again") << PictureFigures{1264198, 7, 8} << before << QList<int>{};
    QTest::newRow("negative size, zero width") << PictureFigures{-1024, 0, -3} << before << QList<int>{};
    QTest::newRow("size past any real file") << PictureFigures{qint64(1) << 60, {}, {}} << before << QList<int>{};
}

void TestPictureTable::figuresFillTheirCells()
{
    QFETCH(PictureFigures, figures);
    QFETCH(QStringList, cells);
    QFETCH(QList<int>, told);
    PictureTable table;
    fill(table);
    table.sortByColumnClick(2); // rows are no longer records
    const int d = *table.rowOfAddress("http://h/d");
    table.setCell(d, PictureTable::Width, "7");
    table.setCell(d, PictureTable::Height, "8");
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    table.setFigures(d, figures);
    const PictureRow row = table.row(d);
    QCOMPARE((QStringList{row.size, row.width, row.height}), cells);
    QCOMPARE(row.fileName, QStringLiteral("a.bmp"));
    QCOMPARE(changed.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) {
        const auto from = changed.at(0).at(0).value<QModelIndex>();
        const auto to = changed.at(0).at(1).value<QModelIndex>();
        QCOMPARE((QList<int>{from.row(), to.row(), from.column(), to.column()}), (QList<int>{d, d, told.at(0), told.at(1)}));
    }
    // The row after it, packed right behind, keeps its own size.
    QCOMPARE(table.row(*table.rowOfAddress("http://h/e")).size, QStringLiteral("0.500"));
}

QTEST_GUILESS_MAIN(TestPictureTable)
#include "test_picture_table.moc"
