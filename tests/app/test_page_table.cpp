#include "app/page_table.h"

#include <QSignalSpy>
#include <QTest>

class TestPageTable : public QObject {
    Q_OBJECT

private slots:
    void keyedByLowerCaseAddress()
    {
        PageTable pages;
        QSignalSpy inserted(&pages, &QAbstractItemModel::rowsInserted);
        QVERIFY(pages.addRow(QStringLiteral("[添加]"), QStringLiteral("http://H.com/A.htm")));
        QVERIFY(!pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/a.HTM")));
        QVERIFY(pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/b.htm")));
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.row(1).address, QStringLiteral("http://H.com/A.htm"));
        QCOMPARE(pages.row(1).title, QStringLiteral("[添加]"));
        QVERIFY(pages.containsAddress(QStringLiteral("HTTP://h.com/a.htm")));
        QVERIFY(!pages.row(2).tag);
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
