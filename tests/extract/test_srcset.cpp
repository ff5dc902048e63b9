#include "extract/srcset.h"

#include <QTest>

class TestSrcset : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("spaces only") << " \t\n " << QStringList{};
        QTest::newRow("commas only") << ",,," << QStringList{};
        QTest::newRow("commas and spaces") << " , , " << QStringList{};
        QTest::newRow("one address") << "a.jpg" << QStringList{"a.jpg"};
        QTest::newRow("densities") << "a.jpg 1x, b.jpg 2x" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("widths") << "a.jpg 480w,b.jpg 800w" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("width and height") << "a.jpg 480w 300h" << QStringList{"a.jpg"};
        QTest::newRow("line breaks between") << "\n a.jpg\n 1x,\n b.jpg 2x\n" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("comma inside an address") << "a,b.jpg 1x, c.jpg 2x" << QStringList{"a,b.jpg", "c.jpg"};
        QTest::newRow("commas without spaces are one address") << "a.jpg,b.jpg" << QStringList{"a.jpg,b.jpg"};
        QTest::newRow("trailing commas end an address") << "a.jpg,, b.jpg" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("data address with comma")
            << "data:image/png;base64,iVBO 1x, b.png 2x" << QStringList{"data:image/png;base64,iVBO", "b.png"};
        QTest::newRow("parenthesised descriptor is invalid") << "a.jpg (1x, 2x), b.jpg 2x" << QStringList{"b.jpg"};
        QTest::newRow("comma in parentheses does not split") << "a.jpg 1x (a, b), b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("unclosed parenthesis runs to the end") << "a.jpg 1x, b.jpg (2x, c.jpg" << QStringList{"a.jpg"};
        QTest::newRow("fractional density") << "a.jpg 1.5x, b.jpg .5x" << QStringList{"a.jpg", "b.jpg"};
        QTest::newRow("exponent density") << "a.jpg 1e1x" << QStringList{"a.jpg"};
        QTest::newRow("zero density") << "a.jpg 0x" << QStringList{"a.jpg"};
        QTest::newRow("negative density") << "a.jpg -1x, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("density ending in a dot") << "a.jpg 1.x, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("plus sign") << "a.jpg +1x, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("zero width") << "a.jpg 0w, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("fractional width") << "a.jpg 1.5w, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("two widths") << "a.jpg 100w 200w, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("width and density") << "a.jpg 100w 2x, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("height without width") << "a.jpg 300h, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("height with density") << "a.jpg 2x 300h, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("unknown descriptor") << "a.jpg 2q, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("capital descriptor") << "a.jpg 2X, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("bare number") << "a.jpg 2, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("descriptor without address value") << "a.jpg x, b.jpg" << QStringList{"b.jpg"};
        QTest::newRow("query and fragment") << "a.jpg?w=1&h=2#f 2x" << QStringList{"a.jpg?w=1&h=2#f"};
        QTest::newRow("address not resolved") << "../p/a.jpg 1x" << QStringList{"../p/a.jpg"};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(parseSrcset(text), expected);
    }

    void longText()
    {
        // Many candidates: each is read once.
        QString text;
        QStringList expected;
        for (int i = 0; i < 20000; ++i) {
            text += QStringLiteral("p%1.jpg %2w, ").arg(i).arg(i + 1);
            expected.append(QStringLiteral("p%1.jpg").arg(i));
        }
        QCOMPARE(parseSrcset(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestSrcset)
#include "test_srcset.moc"
