#include "extract/picture_rows.h"
#include "lists/picture_table.h"
#include "platform/url_cache.h"

#include <QTest>

namespace {

CandidateList oneCandidate(const QString& address, const QString& size = QString())
{
    CandidateList candidates;
    candidates.append(address, size, QStringLiteral("T"), QStringLiteral("http://h.com/"));
    return candidates;
}

DocumentPtr document(const QString& url, const QString& title, QStringList pictures,
                     QList<DocumentPtr> frames = {})
{
    DocumentData data;
    data.url = url;
    data.location = url;
    data.title = title;
    for (const QString& src : pictures)
        data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), src}});
    data.frames = std::move(frames);
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

class TestPictureRows : public QObject {
    Q_OBJECT

private slots:
    void onlyPictureTypesMakeRows_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("fileName"); // empty: no row
        QTest::addColumn<QString>("type");
        QTest::newRow("upper-case type") << "http://h.com/a/B.JPG" << "B.JPG" << "JPG";
        QTest::newRow("query") << "http://h.com/x.jpg?w=1" << "x.jpg?w=1" << "jpg";
        QTest::newRow("spaces around") << "  http://h.com/s.png  " << "s.png" << "png";
        QTest::newRow("tiff") << "http://h.com/a.tiff" << "" << "";
        QTest::newRow("script") << "http://h.com/show.php?id=1" << "" << "";
        QTest::newRow("no address") << "" << "" << "";
    }
    void onlyPictureTypesMakeRows()
    {
        QFETCH(QString, address);
        QFETCH(QString, fileName);
        QFETCH(QString, type);
        PictureTable pictures;
        addPictureRows(candidateRows(oneCandidate(address), QString()), pictures, {});
        QCOMPARE(pictures.size(), fileName.isEmpty() ? 0 : 1);
        if (fileName.isEmpty())
            return;
        const PictureRow& row = pictures.row(0);
        QCOMPARE(row.fileName, fileName);
        QCOMPARE(row.address, address.trimmed());
        QCOMPARE(row.type, type);
        for (const QString* empty : {&row.width, &row.height, &row.downloadStatus, &row.title, &row.source})
            QVERIFY(empty->isEmpty());
    }

    void sizeInKilobytes_data()
    {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("size");
        QTest::newRow("2048") << "2048" << "2.000";
        QTest::newRow("1048576") << "1048576" << "1,024.000";
        QTest::newRow("unknown -1") << "-1" << "";
        QTest::newRow("zero") << "0" << "";
        QTest::newRow("not a number") << "big" << "";
        QTest::newRow("infinite") << "inf" << "";
        QTest::newRow("none") << "" << "";
    }
    void sizeInKilobytes()
    {
        QFETCH(QString, bytes);
        QFETCH(QString, size);
        PictureTable pictures;
        addPictureRows(candidateRows(oneCandidate(QStringLiteral("http://h.com/a.gif"), bytes), QString()), pictures, {});
        QCOMPARE(pictures.row(0).size, size);
    }

    void firstCandidateOfAnAddressDecides()
    {
        CandidateList candidates;
        candidates.append(QStringLiteral("HTTP://H.com/a.gif"), QString(), QStringLiteral("first"), QStringLiteral("s1"));
        candidates.append(QStringLiteral("http://h.com/a.gif"), QStringLiteral("2048"), QStringLiteral("second"), QStringLiteral("s2"));
        candidates.append(QStringLiteral("http://h.com/b.gif"), QString(), QString(), QStringLiteral("s3"));
        PictureTable pictures;
        addPictureRows(candidateRows(candidates, QStringLiteral("Page")), pictures, {true, true});
        QCOMPARE(pictures.size(), 2);
        QCOMPARE(pictures.row(0).address, QStringLiteral("HTTP://H.com/a.gif"));
        QCOMPARE(pictures.row(0).size, QString());
        QCOMPARE(pictures.row(0).title, QStringLiteral("first"));
        QCOMPARE(pictures.row(0).source, QStringLiteral("s1"));
        QCOMPARE(pictures.row(1).title, QStringLiteral("Page")); // its document had no title
    }

    void boxesTickedLaterFillExistingRows()
    {
        PictureTable pictures;
        const QList<PictureRow> rows = candidateRows(oneCandidate(QStringLiteral("http://h.com/a.gif")), QStringLiteral("Page"));
        addPictureRows(rows, pictures, {false, false});
        addPictureRows(rows, pictures, {true, false});
        QCOMPARE(pictures.size(), 1);
        QCOMPARE(pictures.row(0).title, QStringLiteral("T"));
        QCOMPARE(pictures.row(0).source, QString());
        addPictureRows(rows, pictures, {true, true});
        QCOMPARE(pictures.row(0).source, QStringLiteral("http://h.com/"));
    }

    void checkBoxesDecideTitleAndSource_data()
    {
        QTest::addColumn<bool>("titles");
        QTest::addColumn<bool>("sources");
        QTest::addColumn<QStringList>("frameRow"); // title, source of the frame's picture
        QTest::newRow("neither") << false << false << QStringList{"", ""};
        QTest::newRow("titles") << true << false << QStringList{"Page", ""};
        QTest::newRow("sources") << false << true << QStringList{"", "http://h.com/f.htm"};
        QTest::newRow("both") << true << true << QStringList{"Page", "http://h.com/f.htm"};
    }
    void checkBoxesDecideTitleAndSource()
    {
        QFETCH(bool, titles);
        QFETCH(bool, sources);
        QFETCH(QStringList, frameRow);
        const DocumentPtr frame = document(QStringLiteral("http://h.com/f.htm"), QString(),
                                           {QStringLiteral("http://h.com/in-frame.gif")});
        const DocumentPtr page = document(QStringLiteral("http://h.com/"), QStringLiteral(" Page "),
                                          {QStringLiteral("http://h.com/top.gif")}, {frame});
        PictureTable pictures;
        显示所有图片链接(page, pictures, {titles, sources}, nullptr);
        QCOMPARE(pictures.size(), 2);
        QCOMPARE((QStringList{pictures.row(1).title, pictures.row(1).source}), frameRow);
    }

    void noDocumentOrNoHtmlAddsNothing()
    {
        PictureTable pictures;
        显示所有图片链接(nullptr, pictures, {true, true}, nullptr);
        DocumentData notHtml;
        notHtml.isHtml = false;
        notHtml.url = QStringLiteral("http://h.com/x.txt");
        notHtml.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), QStringLiteral("http://h.com/a.gif")}});
        显示所有图片链接(std::make_shared<const Document>(notHtml), pictures, {true, true}, nullptr);
        QCOMPARE(pictures.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPictureRows)
#include "test_picture_rows.moc"
