#include "text/address_kinds.h"

#include <QTest>

class TestAddressKinds : public QObject {
    Q_OBJECT
private slots:
    void webAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("web");
        QTest::newRow("https, letter case") << "HTTPS://H.com" << true;
        QTest::newRow("other scheme") << "ftp://h.com/a.jpg" << false;
        QTest::newRow("no host") << "http:///a.jpg" << false;
        QTest::newRow("local file") << "file:///tmp/a.jpg" << false;
        QTest::newRow("bad port") << "http://h.com:x/a.jpg" << false;
    }
    // The text and the parsed address answer alike.
    void webAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, web);
        QCOMPARE(isWebAddress(address), web);
        QCOMPARE(isWebAddress(QUrl(address)), web);
    }

    void aboutBlank_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("blank");
        QTest::newRow("letter case and spaces") << " About:Blank " << true;
        QTest::newRow("with a fragment") << "about:blank#x" << false;
        QTest::newRow("longer") << "about:blanks" << false;
    }
    void aboutBlank()
    {
        QFETCH(QString, address);
        QFETCH(bool, blank);
        QCOMPARE(isAboutBlank(address), blank);
    }
};

QTEST_GUILESS_MAIN(TestAddressKinds)
#include "test_address_kinds.moc"
