// Byte offsets into a page's UTF-8 turned back into positions in its text, in blocks of
// ASCII and of every length of character.

#include "platform/html/utf8_offsets.h"

#include <QTest>

class TestUtf8Offsets : public QObject {
    Q_OBJECT

private slots:
    void positions_data()
    {
        QTest::addColumn<QString>("text");

        const QString ascii = QStringLiteral("abcdefgh").repeated(20);
        QTest::newRow("empty") << QString();
        QTest::newRow("ascii") << ascii;
        QTest::newRow("two-byte letters") << QStringLiteral("é").repeated(100);
        QTest::newRow("three-byte letters") << QStringLiteral("图").repeated(100);
        QTest::newRow("four-byte characters") << QStringLiteral("😀").repeated(100);
        QTest::newRow("ascii, then one letter at the end") << ascii + QStringLiteral("é");
        QTest::newRow("letter across a block boundary") << ascii.left(63) + QStringLiteral("图") + ascii;
        QTest::newRow("four bytes across a block boundary") << ascii.left(62) + QStringLiteral("😀") + ascii;
        QTest::newRow("letter after a hundred ascii bytes") << ascii.left(100) + QStringLiteral("é") + ascii;
        QTest::newRow("a block of ascii exactly") << ascii.left(64) + QStringLiteral("é");
        QTest::newRow("blocks of ascii between letters") << (QStringLiteral("图") + ascii + ascii).repeated(5);
        QTest::newRow("mixed, many blocks") << (QStringLiteral("a😀bé图 c") + ascii.left(13)).repeated(40);
        QTest::newRow("top of each range")
            << QString::fromUcs4(U"\u007f\u0080\u07ff\u0800\uffff\U00010000\U0010ffff").repeated(30);
        QTest::newRow("replacement characters") << QString::fromUtf8("a\xff\xfe" "b\xc3").repeated(40);
    }
    void positions()
    {
        QFETCH(QString, text);
        const QByteArray utf8 = text.toUtf8();
        const Utf8Offsets offsets(utf8);
        qsizetype byte = 0;
        qsizetype lastByte = 0;
        qsizetype lastPosition = 0;
        for (qsizetype position = 0; position <= text.size(); ++position) {
            if (position > 0 && text.at(position - 1).isHighSurrogate())
                continue; // inside a character
            QCOMPARE(offsets.toUtf16(byte), position);
            // Counted on from the character before, from the start, and from one after it.
            QCOMPARE(offsets.toUtf16(byte, lastByte, lastPosition), position);
            QCOMPARE(offsets.toUtf16(byte, 0, 0), position);
            QCOMPARE(offsets.toUtf16(byte, byte + 1, position + 1), position);
            lastByte = byte;
            lastPosition = position;
            if (position < text.size())
                byte += QStringView(text).sliced(position, text.at(position).isHighSurrogate() ? 2 : 1).toUtf8().size();
        }
        QCOMPARE(byte, utf8.size());
        QCOMPARE(offsets.toUtf16(-5), 0);
        QCOMPARE(offsets.toUtf16(utf8.size() + 100), text.size());
    }
};

QTEST_GUILESS_MAIN(TestUtf8Offsets)
#include "test_utf8_offsets.moc"
