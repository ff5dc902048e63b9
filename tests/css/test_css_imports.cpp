#include "css/css_image_set.h"
#include "css/css_imports.h"

#include <QTest>

class TestCssImports : public QObject {
    Q_OBJECT
private slots:
    void imports_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        const auto at = [](const char* name) { return QStringLiteral("http://h/css/") + QLatin1String(name); };
        QTest::newRow("url") << "@import url(a.css);" << QStringList{at("a.css")};
        QTest::newRow("quoted url") << "@import url( \"a.css\" ) screen;" << QStringList{at("a.css")};
        QTest::newRow("string") << "@import 'a.css';" << QStringList{at("a.css")};
        QTest::newRow("string with media") << "@import \"a.css\" print, screen;" << QStringList{at("a.css")};
        QTest::newRow("capitals") << "@IMPORT URL(a.css);" << QStringList{at("a.css")};
        QTest::newRow("line break after keyword") << "@import\n  'a.css';" << QStringList{at("a.css")};
        QTest::newRow("relative to the sheet") << "@import '../base/b.css';" << QStringList{"http://h/base/b.css"};
        QTest::newRow("rooted") << "@import '/b.css';" << QStringList{"http://h/b.css"};
        QTest::newRow("absolute") << "@import url(http://o.com/c.css);" << QStringList{"http://o.com/c.css"};
        QTest::newRow("several in order") << "@import 'a.css';\n@import url(b.css);\nbody{}" << QStringList{at("a.css"), at("b.css")};
        QTest::newRow("commented out") << "/* @import 'a.css'; */@import 'b.css';" << QStringList{at("b.css")};
        QTest::newRow("unclosed comment hides the rest") << "@import 'a.css'; /* @import 'b.css';" << QStringList{at("a.css")};
        QTest::newRow("empty string") << "@import '';" << QStringList{};
        QTest::newRow("no reference") << "@import;" << QStringList{};
        QTest::newRow("other at-rule") << "@media print { a{} } @font-face{src:url(f.woff)}" << QStringList{};
        QTest::newRow("unclosed string") << "@import 'a.css" << QStringList{at("a.css")};
        QTest::newRow("unclosed url") << "@import url(a.css" << QStringList{at("a.css")};
        QTest::newRow("keyword at the end") << "@import" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void imports()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(importedSheets(text, QStringLiteral("http://h/css/main.css")), expected);
    }

    void imageSet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("strings") << "background-image:image-set(\"a.png\" 1x, 'b.png' 2x)" << QStringList{"a.png", "b.png"};
        QTest::newRow("prefixed") << "-webkit-image-set('a.png' 1x)" << QStringList{"a.png"};
        QTest::newRow("capitals") << "IMAGE-SET('a.png' 1x)" << QStringList{"a.png"};
        QTest::newRow("url forms are scanCssUrls' own") << "image-set(url(a.png) 1x, url('b.png') 2x)" << QStringList{};
        QTest::newRow("mixed") << "image-set(url(a.png) 1x, 'b.png' 2x)" << QStringList{"b.png"};
        QTest::newRow("type() is no picture") << "image-set('a.avif' type('image/avif'), 'b.jpg' type(\"image/jpeg\"))" << QStringList{"a.avif", "b.jpg"};
        QTest::newRow("strings outside") << "content:'x.png'; image-set('a.png' 1x); font-family:'y'" << QStringList{"a.png"};
        QTest::newRow("two sets") << "a{b:image-set('1.png' 1x)} c{d:image-set('2.png' 1x)}" << QStringList{"1.png", "2.png"};
        QTest::newRow("commented out") << "/* image-set('a.png' 1x) */ image-set('b.png' 1x)" << QStringList{"b.png"};
        QTest::newRow("parenthesis in a string") << "image-set('a(1).png' 1x, 'b.png' 2x)" << QStringList{"a(1).png", "b.png"};
        QTest::newRow("unclosed") << "image-set('a.png' 1x, 'b.png" << QStringList{"a.png", "b.png"};
        QTest::newRow("empty string") << "image-set('' 1x)" << QStringList{};
        QTest::newRow("no set") << "background:url(a.png)" << QStringList{};
    }
    void imageSet()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(imageSetStrings(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestCssImports)
#include "test_css_imports.moc"
