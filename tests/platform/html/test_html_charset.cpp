// Reading a page's bytes as text: which declaration wins, and what happens without one.

#include "platform/html/html_charset.h"

#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray encoded(const char* charset, const QString& text)
{
    return QStringEncoder(charset).encode(text);
}

} // namespace

class TestHtmlCharset : public QObject {
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("text");

        const QString chinese = QStringLiteral("<p>图片：镕</p>");
        QTest::newRow("utf-8 without declaration") << QString("<p>é中</p>").toUtf8() << QByteArray("text/html") << "<p>é中</p>";
        QTest::newRow("invalid utf-8 reads as windows-1252")
            << QByteArray("<p>caf\xe9 \x80</p>") << QByteArray("text/html") << "<p>café €</p>";
        QTest::newRow("http charset gbk") << encoded("GBK", chinese) << QByteArray("text/html; charset=GBK") << chinese;
        QTest::newRow("http charset quoted") << encoded("GBK", chinese) << QByteArray("text/html;charset=\"gbk\"") << chinese;
        QTest::newRow("gb2312 label reads GBK characters")
            << encoded("GBK", chinese) << QByteArray("text/html; charset=gb2312") << chinese;
        QTest::newRow("meta charset")
            << encoded("GBK", "<meta charset=gbk>" + chinese) << QByteArray("text/html") << "<meta charset=gbk>" + chinese;
        QTest::newRow("meta http-equiv")
            << encoded("Shift_JIS", QStringLiteral("<META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=shift_jis'>日本"))
            << QByteArray() << QStringLiteral("<META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=shift_jis'>日本");
        QTest::newRow("meta content without http-equiv is ignored")
            << QByteArray("<meta content=\"text/html; charset=big5\">caf\xc3\xa9") << QByteArray() << "<meta content=\"text/html; charset=big5\">café";
        QTest::newRow("meta inside a comment is ignored")
            << QByteArray("<!-- <meta charset=big5> --><p>caf\xc3\xa9") << QByteArray() << "<!-- <meta charset=big5> --><p>café";
        QTest::newRow("http header wins over meta")
            << encoded("Big5", QStringLiteral("<meta charset=gbk>繁體")) << QByteArray("text/html; charset=big5")
            << QStringLiteral("<meta charset=gbk>繁體");
        QTest::newRow("byte-order mark wins over header")
            << QByteArray("\xef\xbb\xbf<p>\xc3\xa9") << QByteArray("text/html; charset=gbk") << "<p>é";
        QTest::newRow("utf-16le mark") << QByteArray("\xff\xfe<\0p\0>\0", 8) << QByteArray() << "<p>";
        QTest::newRow("utf-16be mark") << QByteArray("\xfe\xff\0<\0p\0>", 8) << QByteArray() << "<p>";
        QTest::newRow("meta utf-16 means utf-8")
            << QByteArray("<meta charset=utf-16><p>\xc3\xa9") << QByteArray() << "<meta charset=utf-16><p>é";
        QTest::newRow("latin-1 label means windows-1252")
            << QByteArray("<p>\x80\xe9") << QByteArray("text/html; charset=ISO-8859-1") << "<p>€é";
        QTest::newRow("unknown label falls back")
            << QByteArray("<p>\xc3\xa9") << QByteArray("text/html; charset=no-such-charset") << "<p>é";
        QTest::newRow("nul bytes stay") << QByteArray("<p>a\0b", 6) << QByteArray() << QString::fromUtf8("<p>a\0b", 6);
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, contentType);
        QFETCH(QString, text);
        QCOMPARE(decodeHtml(bytes, contentType), text);
    }

    void prescanReadsOnlyTheStart()
    {
        const QByteArray late = QByteArray(5000, ' ') + "<meta charset=gbk>";
        QVERIFY(!prescanMetaCharset(late));
        QCOMPARE(prescanMetaCharset("<html><head><title>x</title><meta charset=\" GBK \">").value_or("none"), "GBK");
        QVERIFY(!prescanMetaCharset("<meta charset=\"gbk"));
    }
};

QTEST_GUILESS_MAIN(TestHtmlCharset)
#include "test_html_charset.moc"
