#include "app/table_tsv.h"
#include "lists/page_table.h"
#include "lists/picture_table.h"

#include <QTest>

class TestTableTsv : public QObject {
    Q_OBJECT

private slots:
    void pictureTable()
    {
        PictureTable pictures;
        QCOMPARE(pictureTableTsv(pictures), QByteArray("文件名\t网址\t类型\t大小[KB]\t标题\t来源\t宽度\t高度\t下载状态\n"));
        pictures.addRow({QStringLiteral("a.gif"), QStringLiteral("http://h.com/a.gif"), QStringLiteral("gif"),
                         QStringLiteral("1,024.000"), QStringLiteral("标\t题\r\n"), QStringLiteral("http://h.com/"),
                         {}, {}, {}});
        QCOMPARE(pictureTableTsv(pictures).split('\n').at(1),
                 QStringLiteral("a.gif\thttp://h.com/a.gif\tgif\t1,024.000\t标 题  \thttp://h.com/\t\t\t").toUtf8());
    }

    void pageTable()
    {
        PageTable pages;
        pages.addRow(QStringLiteral("[添加]"), QStringLiteral("http://h.com/"));
        pages.addRow(QStringLiteral("1"), QStringLiteral("http://h.com/a\tb.htm"));
        pages.setStatus(1, PageStatus::Done);
        QCOMPARE(QString::fromUtf8(pageTableTsv(pages)),
                 QStringLiteral("标题\t网址\t下载状态\n[添加]\thttp://h.com/\t提取完成\n1\thttp://h.com/a b.htm\t\n"));
    }
};

QTEST_GUILESS_MAIN(TestTableTsv)
#include "test_table_tsv.moc"
