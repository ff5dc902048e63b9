#include "text/download_file_name.h"

#include <QTest>

class TestDownloadFileName : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
};

void TestDownloadFileName::names_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<QString>("name");

    QTest::newRow("percent-encoded UTF-8") << "http://h/p/weird%20name%20%E4%B8%AD.jpg" << "" << "weird name 中.jpg";
    QTest::newRow("percent-encoded bytes that are no UTF-8") << "http://h/%FF%FE.png" << "image/png" << "%FF%FE.png";
    QTest::newRow("encoded separators and dots") << "http://h/a/%2e%2e%2F%2e%2e%5Cx.gif" << "" << "_._x.gif";
    QTest::newRow("fragment") << "http://h/x.jpg#frag" << "" << "x.jpg";
    QTest::newRow("query before the extension") << "http://h/logo.png?v=3" << "image/png" << "logo_v=3.png";
    QTest::newRow("no extension, jpeg served") << "http://h/product?sku=FL-101" << "image/jpeg"
                                               << "product_sku=FL-101.jpg";
    QTest::newRow("picture extension kept against the type") << "http://h/photo.PNG" << "image/webp" << "photo.PNG";
    QTest::newRow("other extension, picture served") << "http://h/show.php?id=3" << "image/gif" << "show.php_id=3.gif";
    QTest::newRow("svg with parameters") << "http://h/icon" << "IMAGE/SVG+XML; charset=utf-8" << "icon.svg";
    QTest::newRow("x-icon") << "http://h/favicon" << "image/x-icon" << "favicon.ico";
    QTest::newRow("tiff") << "http://h/scan" << "image/tiff" << "scan.tif";
    QTest::newRow("no picture served") << "http://h/page" << "text/html" << "page";
    QTest::newRow("host only") << "http://example.com" << "image/png" << "picture.png";
    QTest::newRow("query only") << "http://h/?id=3" << "image/png" << "id=3.png";
    QTest::newRow("query ending with the type") << "http://h/view?f=a.jpg" << "image/jpeg" << "view_f=a.jpg";
}

void TestDownloadFileName::names()
{
    QFETCH(QString, address);
    QFETCH(QString, contentType);
    QFETCH(QString, name);
    QCOMPARE(downloadFileName(address, contentType), name);
}

QTEST_GUILESS_MAIN(TestDownloadFileName)
#include "test_download_file_name.moc"
