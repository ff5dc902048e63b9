#include "text/safe_file_name.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSafeFileName : public QObject {
    Q_OBJECT
private slots:
    void safeNames_data();
    void safeNames();
    void freeNames_data();
    void freeNames();
};

void TestSafeFileName::safeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "a.jpg" << "a.jpg";
    QTest::newRow("chinese") << "中文图片.JPG" << "中文图片.JPG";
    QTest::newRow("climbs up") << "../../etc/passwd" << "_._etc_passwd";
    QTest::newRow("backslashes") << "..\\..\\boot.ini" << "_._boot.ini";
    QTest::newRow("dot dot") << ".." << "picture";
    QTest::newRow("dot") << "." << "picture";
    QTest::newRow("empty") << "" << "picture";
    QTest::newRow("only separators") << "///" << "___";
    QTest::newRow("dots inside") << "a...b....jpg" << "a.b.jpg";
    QTest::newRow("query") << "a.php?id=1&x=<2>" << "a.php_id=1&x=_2_";
    QTest::newRow("windows marks") << "x:y\"z|*.gif" << "x_y_z__.gif";
    QTest::newRow("control characters") << QString::fromUtf8("tab\tname\x01\x7f.gif")
                                        << "tab_name__.gif";
    QTest::newRow("newline") << "a\nb.png" << "a_b.png";
    QTest::newRow("right-to-left override") << QString::fromUtf8("\u202Egpj.exe") << "_gpj.exe";
    QTest::newRow("trailing dots and spaces") << "a.jpg. . " << "a.jpg";
    QTest::newRow("leading spaces") << "   spaced.png" << "spaced.png";
    QTest::newRow("hidden file") << ".hidden.jpg" << "hidden.jpg";
    QTest::newRow("extension only") << ".htaccess" << "picture.htaccess";
    QTest::newRow("CON") << "CON" << "_CON";
    QTest::newRow("con with extension") << "con.jpg" << "_con.jpg";
    QTest::newRow("nul before space") << "nul .jpg" << "_nul.jpg";
    QTest::newRow("LPT9 two extensions") << "Lpt9.tar.gz" << "_Lpt9.tar.gz";
    QTest::newRow("COM1") << "com1.png" << "_com1.png";
    QTest::newRow("COM10 is free") << "COM10.jpg" << "COM10.jpg";
    QTest::newRow("console is free") << "console.jpg" << "console.jpg";
    QTest::newRow("long latin") << QString(300, QLatin1Char('a')) + ".jpg"
                                << QString(196, QLatin1Char('a')) + ".jpg";
    QTest::newRow("long chinese") << QString(100, QChar(0x56FE)) + ".png"
                                  << QString(65, QChar(0x56FE)) + ".png";
    const QString smile = QString::fromUtf8("\U0001F600");
    QTest::newRow("long surrogate pairs") << smile.repeated(60) + ".gif" << smile.repeated(49) + ".gif";
    QTest::newRow("long extension joins the name")
        << "a." + QString(40, QLatin1Char('x')) << "a." + QString(40, QLatin1Char('x'));
    QTest::newRow("long with long extension")
        << QString(250, QLatin1Char('b')) + "." + QString(40, QLatin1Char('x'))
        << QString(200, QLatin1Char('b'));
}

void TestSafeFileName::safeNames()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString safe = safeFileName(name);
    QCOMPARE(safe, expected);
    QVERIFY(!safe.isEmpty());
    QVERIFY(!safe.contains(QLatin1Char('/')));
    QVERIFY(!safe.contains(QLatin1Char('\\')));
    QVERIFY(!safe.contains(QStringLiteral("..")));
    QVERIFY(safe.toUtf8().size() <= maxFileNameBytes);
    QCOMPARE(safeFileName(safe), safe); // a safe name stays as it is
}

void TestSafeFileName::freeNames_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("free") << QStringList{"b.jpg"} << "a.jpg" << "a.jpg";
    QTest::newRow("taken") << QStringList{"a.jpg"} << "a.jpg" << "a (1).jpg";
    QTest::newRow("taken twice") << QStringList{"a.jpg", "a (1).jpg"} << "a.jpg" << "a (2).jpg";
    QTest::newRow("gap is used") << QStringList{"a.jpg", "a (2).jpg"} << "a.jpg" << "a (1).jpg";
    QTest::newRow("no extension") << QStringList{"readme"} << "readme" << "readme (1)";
    QTest::newRow("two extensions") << QStringList{"x.tar.gz"} << "x.tar.gz" << "x.tar (1).gz";
    QTest::newRow("dangling link") << QStringList{"c.jpg@"} << "c.jpg" << "c (1).jpg";
    QTest::newRow("folder of that name") << QStringList{"pic.png/"} << "pic.png" << "pic (1).png";
}

void TestSafeFileName::freeNames()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir folder(dir.path());
    for (const QString& entry : existing) {
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(folder.mkdir(entry.chopped(1)));
        } else if (entry.endsWith(QLatin1Char('@'))) {
            QVERIFY(QFile::link(folder.filePath("missing"), folder.filePath(entry.chopped(1))));
        } else {
            QFile file(folder.filePath(entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    QCOMPARE(freeFileName(folder, name), expected);
}

QTEST_GUILESS_MAIN(TestSafeFileName)
#include "test_safe_file_name.moc"
