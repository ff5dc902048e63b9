// A tag's attributes as the tokenizer reads them: where each name and value stands, and where
// the tag ends.

#include "platform/html/markup_scan.h"

#include <QTest>

namespace {

// "name:kind:value" for each attribute, kind "-" without a value, "q" quoted, "u" unquoted;
// then where the tag ends.
QString attributesOf(const QByteArray& tag)
{
    using MarkupScan::AttributeSpan;
    const qsizetype nameEnd = MarkupScan::tagNameEnd(tag, 1);
    std::vector<AttributeSpan> attributes;
    const MarkupScan::TagEnd end = MarkupScan::endOfTag(tag, nameEnd, std::numeric_limits<int>::max(), &attributes);
    QStringList parts;
    for (const AttributeSpan& attribute : attributes) {
        const char* kind = attribute.value == AttributeSpan::Value::None     ? "-"
                           : attribute.value == AttributeSpan::Value::Quoted ? "q"
                                                                             : "u";
        parts.append(QStringLiteral("%1:%2:%3")
                         .arg(QString::fromUtf8(attribute.nameIn(tag)), QLatin1String(kind),
                              QString::fromUtf8(attribute.valueIn(tag))));
    }
    parts.append(QString::number(end.end));
    return parts.join(u' ');
}

} // namespace

class TestMarkupScan : public QObject {
    Q_OBJECT

private slots:
    void attributes_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QString>("expected");
        QTest::newRow("without values") << QByteArray("<td nowrap>") << "nowrap:-: 10";
        QTest::newRow("without values, between spaces and slashes") << QByteArray("<div a b/c>") << "a:-: b:-: c:-: 10";
        QTest::newRow("unquoted, then none") << QByteArray("<td width=50 nowrap>") << "width:u:50 nowrap:-: 19";
        QTest::newRow("a bracket in quotes") << QByteArray("<img alt=\"a>b\" src='c'>") << "alt:q:a>b src:q:c 22";
        QTest::newRow("no space between") << QByteArray("<p a=\"1\"b=\"2\">") << "a:q:1 b:q:2 13";
        QTest::newRow("an equals sign, no value") << QByteArray("<td x= >") << "x:-: 7";
        QTest::newRow("slashes") << QByteArray("<img/src=a/ / alt / b>") << "src:u:a/ alt:-: b:-: 21";
        QTest::newRow("a name that starts with =") << QByteArray("<input =x>") << "=x:-: 9";
        QTest::newRow("a quote left open") << QByteArray("<img alt=\"a>") << "-1";
    }
    void attributes()
    {
        QFETCH(QByteArray, tag);
        QFETCH(QString, expected);
        QCOMPARE(attributesOf(tag), expected);
    }
};

QTEST_APPLESS_MAIN(TestMarkupScan)
#include "test_markup_scan.moc"
