#include "text/table_key.h"

#include <QTest>

class TestTableKey : public QObject {
    Q_OBJECT
private slots:
    void key_data();
    void key();
    void fragment_data();
    void fragment();
    void ownKey_data();
    void ownKey();
};

void TestTableKey::key_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "http://h/a.png" << "http://h/a.png";
    QTest::newRow("scheme and host lowered") << "HTTP://WWW.H.Com/a.png" << "http://www.h.com/a.png";
    QTest::newRow("scheme lowered alone") << "Http://h/a.png" << "http://h/a.png";
    QTest::newRow("ascii form in lower case") << "http://xn--bcher-kva.de/a" << "http://bücher.de/a";
    QTest::newRow("path case kept") << "http://h/A.png" << "http://h/A.png";
    QTest::newRow("query case kept") << "http://h/p.asp?ID=A" << "http://h/p.asp?ID=A";
    QTest::newRow("fragment removed") << "http://h/p.htm#top" << "http://h/p.htm";
    QTest::newRow("empty fragment removed") << "http://h/p.htm#" << "http://h/p.htm";
    QTest::newRow("fragment of a query") << "http://h/p?a=1#x?y" << "http://h/p?a=1";
    QTest::newRow("default http port") << "http://h:80/a" << "http://h/a";
    QTest::newRow("default https port") << "HTTPS://h:443/a" << "https://h/a";
    QTest::newRow("http port on https") << "https://h:80/a" << "https://h:80/a";
    QTest::newRow("other port kept") << "http://h:8080/a" << "http://h:8080/a";
    QTest::newRow("empty port") << "http://h:/a" << "http://h/a";
    QTest::newRow("no path") << "http://H.com" << "http://h.com/";
    QTest::newRow("query without path") << "http://h?q=1" << "http://h/?q=1";
    QTest::newRow("full-width host") << "http://ｌｏｃａｌｈｏｓｔ:8080/A" << "http://localhost:8080/A";
    QTest::newRow("international host") << "http://BÜCHER.de/" << "http://bücher.de/";
    QTest::newRow("ascii form of a host") << "http://XN--BCHER-KVA.de/" << "http://bücher.de/";
    QTest::newRow("user kept as written") << "http://Me:Pw@H/a" << "http://Me:Pw@h/a";
    QTest::newRow("ipv6 without port") << "http://[::1]/a" << "http://[::1]/a";
    QTest::newRow("ipv6 default port") << "http://[::1]:80/a" << "http://[::1]/a";
    QTest::newRow("ipv6 letters") << "http://[FE80::1]:81/a" << "http://[fe80::1]:81/a";
    QTest::newRow("ftp default port") << "FTP://H:21/F.txt" << "ftp://h/F.txt";
    QTest::newRow("unknown scheme") << "WebCal://H/Cal" << "webcal://h/Cal";
    QTest::newRow("no scheme") << "A.png#x" << "A.png";
    QTest::newRow("marker in a query") << "/go?u=HTTP://B/x" << "/go?u=HTTP://B/x";
    QTest::newRow("mailto") << "mailto:Me@H" << "mailto:Me@H";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("marker only") << "://" << "://";
}

void TestTableKey::key()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(tableKey(address), expected);
}

void TestTableKey::fragment_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("page") << "http://h/P.htm#Top" << "http://h/P.htm";
    QTest::newRow("none") << "http://H/P.htm" << "http://H/P.htm";
    QTest::newRow("two marks") << "http://h/p##x" << "http://h/p";
    QTest::newRow("only a mark") << "#" << "";
}

void TestTableKey::fragment()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QCOMPARE(withoutFragment(address), expected);
}

void TestTableKey::ownKey_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("own");

    QTest::newRow("http, path") << "http://www.example.com/p1/a.jpg" << true;
    QTest::newRow("https, path and query") << "https://h-1.example.org/a?x=1&y=B" << true;
    QTest::newRow("path in capitals") << "http://h/A/B.GIF" << true;
    QTest::newRow("non-ascii path") << "http://h/图片/猫.jpg" << true;
    QTest::newRow("root only") << "http://h/" << true;
    QTest::newRow("no path") << "http://h" << false;
    QTest::newRow("query right after host") << "http://h?x=/a" << false;
    QTest::newRow("scheme in capitals") << "HTTP://h/a.gif" << false;
    QTest::newRow("host in capitals") << "http://H/a.gif" << false;
    QTest::newRow("default port") << "http://h:80/a.gif" << false;
    QTest::newRow("other port") << "http://h:8080/a.gif" << true;
    QTest::newRow("https, default port") << "https://h:443/a.gif" << false;
    QTest::newRow("https, http's port") << "https://h:80/a.gif" << true;
    QTest::newRow("port with a leading zero") << "http://h:080/a.gif" << true;
    QTest::newRow("empty port") << "http://h:/a.gif" << false;
    QTest::newRow("port without a path") << "http://h:8080" << false;
    QTest::newRow("port with letters") << "http://h:8o/a.gif" << false;
    QTest::newRow("two colons") << "http://h:1:2/a.gif" << false;
    QTest::newRow("user and port") << "http://u:p@h:8080/a.gif" << false;
    QTest::newRow("user") << "http://u@h/a.gif" << false;
    QTest::newRow("fragment") << "http://h/a.gif#top" << false;
    QTest::newRow("empty fragment") << "http://h/a.gif#" << false;
    QTest::newRow("punycode host") << "http://xn--bcher-kva.de/a.gif" << false;
    QTest::newRow("punycode label inside") << "http://www.xn--bcher-kva.de/a.gif" << false;
    QTest::newRow("xn-- in the path only") << "http://h/xn--a.gif" << true;
    QTest::newRow("xn-- inside a label") << "http://axn--b.de/a.gif" << false;
    QTest::newRow("x before the port") << "http://hx:8080/a.gif" << true;
    QTest::newRow("non-ascii host") << "http://bücher.de/a.gif" << false;
    QTest::newRow("full-width host") << "http://ｈ/a.gif" << false;
    QTest::newRow("ipv6 host") << "http://[::1]/a.gif" << false;
    QTest::newRow("ftp") << "ftp://h/a.gif" << false;
    QTest::newRow("one slash") << "http:/h/a.gif" << false;
    QTest::newRow("relative") << "a.gif" << false;
    QTest::newRow("empty") << "" << false;
}

void TestTableKey::ownKey()
{
    QFETCH(QString, address);
    QFETCH(bool, own);
    QCOMPARE(isOwnTableKey(address), own);
    // Saying yes is a promise that building the key would give the address back.
    if (own)
        QCOMPARE(tableKey(address), address);
}

QTEST_GUILESS_MAIN(TestTableKey)
#include "test_table_key.moc"
