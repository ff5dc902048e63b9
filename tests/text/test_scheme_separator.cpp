#include "text/scheme_separator.h"

#include <QTest>

// The searches by colon must find what Qt's substring searches for "://" find.
class TestSchemeSeparator : public QObject {
    Q_OBJECT
private slots:
    void sameAsSubstringSearch_data();
    void sameAsSubstringSearch();
};

void TestSchemeSeparator::sameAsSubstringSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("address") << "http://h/a.gif";
    QTest::newRow("colon at the end") << "http:";
    QTest::newRow("one slash at the end") << "http:/";
    QTest::newRow("separator at the end") << "http://";
    QTest::newRow("colons before it") << "a:b::c://h/";
    QTest::newRow("three slashes") << "file:///a";
    QTest::newRow("carried address") << "http://h/go?u=https://b/x";
    QTest::newRow("separator first") << "://h";
    QTest::newRow("colon and one slash only") << "h:/a:/b";
    QTest::newRow("port and separator") << "http://h:81/x?u=ftp://c";
}

void TestSchemeSeparator::sameAsSubstringSearch()
{
    QFETCH(QString, text);
    QCOMPARE(lastIndexOfSchemeSeparator(text), text.lastIndexOf(u"://"));
    for (qsizetype from = 0; from <= text.size(); ++from)
        QCOMPARE(indexOfSchemeSeparator(text, from), text.indexOf(u"://", from));
}

QTEST_GUILESS_MAIN(TestSchemeSeparator)
#include "test_scheme_separator.moc"
