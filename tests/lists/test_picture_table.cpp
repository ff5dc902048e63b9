#include "lists/picture_table.h"

#include <QPersistentModelIndex>
#include <QTest>

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

QTEST_GUILESS_MAIN(TestPictureTable)
#include "test_picture_table.moc"
