#include "links/table_key.h"
#include "lists/own_table_key.h"

#include <QTest>

class TestOwnTableKey : public QObject {
    Q_OBJECT
private slots:
    void ownKey_data();
    void ownKey();
};

void TestOwnTableKey::ownKey_data()
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

void TestOwnTableKey::ownKey()
{
    QFETCH(QString, address);
    QFETCH(bool, own);
    QCOMPARE(isOwnTableKey(address), own);
    // Saying yes is a promise that building the key would give the address back.
    if (own)
        QCOMPARE(tableKey(address), address);
}

QTEST_GUILESS_MAIN(TestOwnTableKey)
#include "test_own_table_key.moc"
