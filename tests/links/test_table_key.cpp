#include "links/table_key.h"

#include <QTest>

class TestTableKey : public QObject {
    Q_OBJECT
private slots:
    void key_data();
    void key();
    void fragment_data();
    void fragment();
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

QTEST_GUILESS_MAIN(TestTableKey)
#include "test_table_key.moc"
