#include "text/file_names.h"
#include "text/picture_types.h"
#include "text/size_format.h"

#include <QTest>

class TestFileNames : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void longNames();
    void pictureType_data();
    void pictureType();
    void mediaType_data();
    void mediaType();
    void sizeText_data();
    void sizeText();
};

void TestFileNames::names_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bareName");

    QTest::newRow("picture") << "http://host/img/p.jpg" << "jpg" << "p.jpg" << "p";
    QTest::newRow("query and fragment") << "http://host/p.JPG?x=1#top" << "JPG" << "p.JPG?x=1#top" << "p";
    QTest::newRow("carried address") << "http://host/show.php?f=http://host2/c.gif" << "php" << "c.gif" << "c";
    QTest::newRow("directory") << "http://host/" << "" << "" << "";
    QTest::newRow("host only") << "http://site.test" << "test" << "site.test" << "site";
    QTest::newRow("port") << "http://site.test:81" << "test" << "site.test:81" << "site";
    QTest::newRow("no dot") << "http://host/dir/name" << "" << "name" << "name";
    QTest::newRow("long type") << "http://host/x.jpg_large" << "" << "x.jpg_large" << "x";
    QTest::newRow("local path") << "C:\\pics\\a b.gif " << "gif" << "a b.gif" << "a b";
    QTest::newRow("script") << "javascript:show('x')" << "" << "javascript:show('x')" << "javascript:show('x')";
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("six letters") << "x.abcdef" << "abcdef" << "x.abcdef" << "x";
    QTest::newRow("seven letters") << "x.abcdefg" << "" << "x.abcdefg" << "x";
    QTest::newRow("ends in dot") << "http://h/x." << "" << "x." << "x";
    QTest::newRow("dot first") << "http://h/.gif" << "gif" << ".gif" << "";
    QTest::newRow("spaced type") << "http://h/x. gif " << "gif" << "x. gif" << "x";
    QTest::newRow("markers side by side") << "http://://p.jpg" << "jpg" << "p.jpg" << "p";
    QTest::newRow("line feed") << "http://h/a.gif\nb.png" << "gif" << "a.gif\nb.png" << "a.gif\nb";
    QTest::newRow("tab") << "http://h/a.gif\tx" << "gif" << "a.gif\tx" << "a";
    QTest::newRow("no trim without separator") << " a.gif " << "gif" << " a.gif " << "a";
    QTest::newRow("marker only") << "://" << "" << "" << "";
    QTest::newRow("punctuation") << "#?:.*" << "" << "#?:.*" << "#?:";
    QTest::newRow("slashes only") << "////" << "" << "" << "";
}

void TestFileNames::names()
{
    QFETCH(QString, address);
    QFETCH(QString, type);
    QFETCH(QString, name);
    QFETCH(QString, bareName);
    QCOMPARE(getFileType(address), type);
    QCOMPARE(getFileName(address, false), name);
    QCOMPARE(getFileName(address, true), bareName);
}

void TestFileNames::longNames()
{
    // The last separator and the last dot lie far beyond 32767 characters.
    const QString stem(40000, u'n');
    const QString address = QStringLiteral("http://h/") + QString(40000, u'd') + u'/' + stem + ".png";
    QCOMPARE(getFileType(address), QStringLiteral("png"));
    QCOMPARE(getFileName(address, false), stem + ".png");
    QCOMPARE(getFileName(address, true), stem);
}

void TestFileNames::pictureType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("expected");

    for (const char* type : {"bmp", "jpg", "jpeg", "tif", "gif", "png", "ico", "jpe", "JPG", "Png",
                             "webp", "avif", "svg", "jxl", "WebP", "SVG"})
        QTest::newRow(type) << QString::fromLatin1(type) << true;
    // Unicode case folding makes the long s an s, as Qt compares.
    QTest::newRow("long s") << QStringLiteral("\u017Fvg") << true;
    QTest::newRow("full-width") << QStringLiteral("ｇｉｆ") << false;
    for (const char* type : {"", "pg", "if", "tiff", "svgz", "web", "php", "asp", ".jpg", "jpg.", "png,ico", " gif"})
        QTest::newRow(qPrintable(QStringLiteral("refused '%1'").arg(QLatin1String(type))))
            << QString::fromLatin1(type) << false;
}

void TestFileNames::pictureType()
{
    QFETCH(QString, type);
    QFETCH(bool, expected);
    QCOMPARE(isPictureType(type), expected);
}

void TestFileNames::mediaType_data()
{
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QString>("type");

    QTest::newRow("image/png") << "image/png" << true << "png";
    QTest::newRow("capitals, parameter") << "Image/JPEG; charset=binary" << true << "jpeg";
    QTest::newRow("spaces around") << "  image/webp " << true << "webp";
    QTest::newRow("svg+xml") << "image/svg+xml" << true << "svg";
    QTest::newRow("x-icon") << "image/x-icon" << true << "ico";
    QTest::newRow("microsoft icon") << "image/vnd.microsoft.icon" << true << "ico";
    QTest::newRow("image/ alone") << "image/" << false << "";
    QTest::newRow("html") << "text/html; charset=utf-8" << false << "html";
    QTest::newRow("image in a parameter") << "text/plain; x=image/png" << false << "plain";
    QTest::newRow("empty") << "" << false << "";
}

void TestFileNames::mediaType()
{
    QFETCH(QString, contentType);
    QFETCH(bool, picture);
    QFETCH(QString, type);
    QCOMPARE(isPictureMediaType(contentType), picture);
    QCOMPARE(pictureTypeOfMediaType(contentType), type);
}

void TestFileNames::sizeText_data()
{
    QTest::addColumn<double>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2048") << 2048.0 << "2.000";
    QTest::newRow("1536") << 1536.0 << "1.500";
    QTest::newRow("100") << 100.0 << "0.098";
    QTest::newRow("1048576") << 1048576.0 << "1,024.000";
    QTest::newRow("rounds up to a whole") << 1023.9 << "1.000";
    QTest::newRow("millions") << 1073741824.0 * 2 << "2,097,152.000";
    QTest::newRow("largest shown") << 999999999999999.0 << "976,562,499,999.999";
    QTest::newRow("past any real file") << 1e15 << "";
    QTest::newRow("infinite") << qInf() << "";
    QTest::newRow("not a number") << qQNaN() << "";
}

void TestFileNames::sizeText()
{
    QFETCH(double, bytes);
    QFETCH(QString, expected);
    QCOMPARE(formatSizeKb(bytes), expected);
}

QTEST_GUILESS_MAIN(TestFileNames)
#include "test_file_names.moc"
