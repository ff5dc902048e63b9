#include "lists/page_table.h"

#include <QSignalSpy>
#include <QTest>

class TestPageTable : public QObject {
    Q_OBJECT

private slots:
    void keyedByTableKey_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("rows"); // the "网址" cells that result
        QTest::newRow("host case") << QStringList{"http://H.com/a.htm", "http://h.COM/a.htm"}
                                   << QStringList{"http://H.com/a.htm"};
        QTest::newRow("path case") << QStringList{"http://h.com/A.htm", "http://h.com/a.htm"}
                                   << QStringList{"http://h.com/A.htm", "http://h.com/a.htm"};
        QTest::newRow("fragment") << QStringList{"http://h.com/p.htm#x", "http://h.com/p.htm", "http://h.com/p.htm#y"}
                                  << QStringList{"http://h.com/p.htm"};
        QTest::newRow("default port") << QStringList{"http://h.com:80/", "http://h.com"}
                                      << QStringList{"http://h.com:80/"};
        QTest::newRow("CJK path, host case") << QStringList{"http://h.com/猫.htm", "http://H.com/猫.htm#x", "http://h.com/狗.htm"}
                                             << QStringList{"http://h.com/猫.htm", "http://h.com/狗.htm"};
    }
    void keyedByTableKey()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, rows);
        PageTable pages;
        QSignalSpy inserted(&pages, &QAbstractItemModel::rowsInserted);
        for (const QString& address : added)
            pages.addRow(QStringLiteral("1"), address);
        QCOMPARE(inserted.size(), rows.size());
        QStringList cells;
        for (int position = 1; position <= pages.size(); ++position)
            cells.append(pages.row(position).address);
        QCOMPARE(cells, rows);
        for (const QString& address : added)
            QVERIFY(pages.containsAddress(address));
        QVERIFY(!pages.row(1).tag);
        QCOMPARE(pages.row(1).title, QStringLiteral("1"));
    }

    void modelShowsEightColumns()
    {
        PageTable pages;
        pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/"));
        pages.setStatus(1, PageStatus::Failed);
        QCOMPARE(pages.columnCount(), 8);
        QCOMPARE(pages.headers(), (QStringList{"标题", "网址", "类型", "下载状态", "", "", "", ""}));
        QCOMPARE(pages.headerData(3, Qt::Horizontal).toString(), QStringLiteral("下载状态"));
        const QStringList cells{"1", "http://h.com/", "", "下载出错", "", "", "", ""};
        for (int column = 0; column < 8; ++column)
            QCOMPARE(pages.data(pages.index(0, column)).toString(), cells.at(column));
    }

    void waitingAndLoadingFollowTheStatus_data()
    {
        QTest::addColumn<QList<PageStatus>>("statuses");
        QTest::addColumn<int>("firstWaiting");
        QTest::addColumn<int>("loading");
        using S = PageStatus;
        QTest::newRow("all waiting") << QList<S>{S::Waiting, S::Waiting, S::Waiting} << 1 << 0;
        QTest::newRow("first two taken") << QList<S>{S::Downloading, S::Done, S::Waiting} << 3 << 1;
        QTest::newRow("none waiting") << QList<S>{S::Failed, S::Downloading, S::Downloading} << 0 << 2;
    }
    void waitingAndLoadingFollowTheStatus()
    {
        QFETCH(QList<PageStatus>, statuses);
        QFETCH(int, firstWaiting);
        QFETCH(int, loading);
        PageTable pages;
        for (int i = 0; i < statuses.size(); ++i)
            pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/%1").arg(i));
        // Through "正在下载" first, as the scheduler does, and back to the wanted status.
        for (int position = 1; position <= statuses.size(); ++position) {
            pages.setStatus(position, PageStatus::Downloading);
            pages.setStatus(position, statuses.at(position - 1));
        }
        QCOMPARE(pages.firstWaiting().value_or(0), firstWaiting);
        QCOMPARE(pages.downloadingCount(), loading);
        QCOMPARE(pages.waitingCount(), int(statuses.count(PageStatus::Waiting)));
    }

    void positionsOutsideTheTableAreIgnored()
    {
        PageTable pages;
        pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/"));
        for (int position : {0, -1, 2}) {
            pages.setStatus(position, PageStatus::Done);
            pages.setTag(position, 5);
        }
        QCOMPARE(pages.row(1).status, PageStatus::Waiting);
        QVERIFY(!pages.row(1).tag);
        QVERIFY(!pages.isPosition(0));
        QVERIFY(!pages.isPosition(2));
    }
};

QTEST_GUILESS_MAIN(TestPageTable)
#include "test_page_table.moc"
