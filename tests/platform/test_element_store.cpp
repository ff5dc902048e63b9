// The compact element store: members read back per element where names and values are
// shared among elements, members added after other elements, spans of the markup, and
// elements read after their document is gone.

#include "platform/document.h"

#include <QTest>

#include <limits>

namespace {

using TaggedElements = QList<std::pair<QString, ElementMembers>>; // tag name, members
using AddedMembers = QList<std::tuple<qsizetype, QString, QString>>;

// An element's members as "name=value" in the order they were added.
QString membersOf(const ElementStore& store, qsizetype index)
{
    QStringList members;
    store.forEachMember(index, [&members](const QString& name, QStringView value) {
        members << name + u'=' + value.toString();
    });
    return members.join(u' ');
}

} // namespace

class TestElementStore : public QObject {
    Q_OBJECT

private slots:
    void members_data()
    {
        QTest::addColumn<TaggedElements>("elements");
        QTest::addColumn<AddedMembers>("added");
        QTest::addColumn<qsizetype>("index");
        QTest::addColumn<QString>("expected");

        const TaggedElements twoItems{{"A", {{"href", "a.htm"}, {"class", "item"}}},
                                      {"A", {{"href", "b.htm"}, {"class", "item"}}}};
        const TaggedElements threeImages{{"IMG", {{"src", "a.gif"}}}, {"IMG", {{"src", "b.gif"}, {"alt", "b"}}},
                                         {"A", {{"href", "c.htm"}}}};
        QTest::newRow("value shared, first element") << twoItems << AddedMembers{} << qsizetype(0) << "href=a.htm class=item";
        QTest::newRow("value shared, second element") << twoItems << AddedMembers{} << qsizetype(1) << "href=b.htm class=item";
        QTest::newRow("one value under two names") << TaggedElements{{"IMG", {{"src", "x"}, {"alt", "x"}}}}
                                                   << AddedMembers{} << qsizetype(0) << "src=x alt=x";
        QTest::newRow("same name on three elements")
            << TaggedElements{{"P", {{"id", "one"}}}, {"P", {{"id", "two"}}}, {"P", {{"id", "three"}}}}
            << AddedMembers{} << qsizetype(2) << "id=three";
        QTest::newRow("value that begins another") << TaggedElements{{"A", {{"title", "abc"}}}, {"A", {{"title", "ab"}}}}
                                                   << AddedMembers{} << qsizetype(1) << "title=ab";
        QTest::newRow("empty value") << TaggedElements{{"IMG", {{"alt", ""}, {"src", "a"}}}} << AddedMembers{}
                                     << qsizetype(0) << "alt= src=a";
        QTest::newRow("repeated name keeps the first") << TaggedElements{{"DIV", {{"data-src", "a"}, {"data-src", "b"}}}}
                                                       << AddedMembers{} << qsizetype(0) << "data-src=a";
        QTest::newRow("no members") << TaggedElements{{"BR", {}}, {"B", {{"x", "y"}}}} << AddedMembers{} << qsizetype(0) << "";
        QTest::newRow("added to the last element") << threeImages << AddedMembers{{2, "filesize", "9"}} << qsizetype(2)
                                                   << "href=c.htm filesize=9";
        QTest::newRow("added to an earlier element") << threeImages << AddedMembers{{1, "filesize", "12"}} << qsizetype(1)
                                                     << "src=b.gif alt=b filesize=12";
        QTest::newRow("neighbour of a moved element") << threeImages << AddedMembers{{1, "filesize", "12"}} << qsizetype(2)
                                                      << "href=c.htm";
        QTest::newRow("added to two earlier elements")
            << threeImages << AddedMembers{{0, "filesize", "1"}, {1, "filesize", "2"}, {0, "width", "3"}} << qsizetype(0)
            << "src=a.gif filesize=1 width=3";
        QTest::newRow("added where the name is taken") << threeImages << AddedMembers{{1, "alt", "other"}} << qsizetype(1)
                                                       << "src=b.gif alt=b";
    }
    void members()
    {
        QFETCH(TaggedElements, elements);
        QFETCH(AddedMembers, added);
        QFETCH(qsizetype, index);
        QFETCH(QString, expected);
        ElementStore store;
        for (const auto& [tag, members] : elements)
            store.append(tag, members);
        for (const auto& [element, name, value] : added)
            store.addMember(element, name, value);
        QCOMPARE(membersOf(store, index), expected);
        store.squeeze();
        QCOMPARE(membersOf(store, index), expected);
    }

    // A name given in UTF-8 and the same name as text are one name.
    void namesInUtf8_data()
    {
        QTest::addColumn<QByteArray>("utf8Name");
        QTest::addColumn<QString>("textName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same ascii name") << QByteArray("data-x") << "data-x" << "data-x=first";
        QTest::newRow("same non-ascii name") << QByteArray("données") << "données" << "données=first";
        QTest::newRow("different names") << QByteArray("src") << "href" << "src=first href=second";
        QTest::newRow("name that begins the other") << QByteArray("data") << "data-x" << "data=first data-x=second";
    }
    void namesInUtf8()
    {
        QFETCH(QByteArray, utf8Name);
        QFETCH(QString, textName);
        QFETCH(QString, expected);
        ElementStore store;
        // Each way round: the first name given makes the entry the other one finds.
        const ElementStore::Index utf8First = store.appendElement(QStringLiteral("DIV"));
        store.addMember(utf8First, QUtf8StringView(utf8Name), u"first");
        store.addMember(utf8First, textName, u"second");
        const ElementStore::Index textFirst = store.appendElement(QStringLiteral("DIV"));
        store.addMember(textFirst, textName, u"second");
        store.addMember(textFirst, QUtf8StringView(utf8Name), u"first");
        QCOMPARE(membersOf(store, utf8First), expected);
        QCOMPARE(membersOf(store, textFirst).split(u' ').size(), expected.split(u' ').size());
    }

    // Values are kept once each, in a table that grows with them.
    void manyValues_data()
    {
        QTest::addColumn<int>("elements");
        QTest::addColumn<int>("distinct");
        QTest::newRow("one value") << 1 << 1;
        QTest::newRow("as many as the first table takes") << 8 << 8;
        QTest::newRow("one past the first table") << 9 << 9;
        QTest::newRow("thousands, all distinct") << 5000 << 5000;
        QTest::newRow("thousands, seven repeated") << 5000 << 7;
    }
    void manyValues()
    {
        QFETCH(int, elements);
        QFETCH(int, distinct);
        ElementStore store;
        auto value = [distinct](int i) { return QStringLiteral("v") + QString::number(i % distinct); };
        for (int i = 0; i < elements; ++i)
            store.append(QStringLiteral("P"), {{QStringLiteral("title"), value(i)}, {QStringLiteral("id"), value(i + 1)}});
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < elements; ++i)
                QCOMPARE(membersOf(store, i), QStringLiteral("title=%1 id=%2").arg(value(i), value(i + 1)));
            store.squeeze();
        }
    }

    void spans_data()
    {
        QTest::addColumn<qsizetype>("begin");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QString>("expected");
        // The markup is "<b>bold</b>".
        QTest::newRow("whole") << qsizetype(0) << qsizetype(11) << "<b>bold</b>";
        QTest::newRow("inside") << qsizetype(3) << qsizetype(4) << "bold";
        QTest::newRow("empty at the end") << qsizetype(11) << qsizetype(0) << "";
        QTest::newRow("past the end") << qsizetype(3) << qsizetype(9) << "<none>";
        QTest::newRow("no span") << qsizetype(0) << qsizetype(-1) << "<none>";
        QTest::newRow("negative begin") << qsizetype(-1) << qsizetype(2) << "<none>";
        QTest::newRow("begin past 32 bits") << qsizetype(std::numeric_limits<qint32>::max()) + 1 << qsizetype(1) << "<none>";
        QTest::newRow("end past 32 bits") << qsizetype(3) << qsizetype(std::numeric_limits<qint32>::max()) << "<none>";
    }
    void spans()
    {
        QFETCH(qsizetype, begin);
        QFETCH(qsizetype, length);
        QFETCH(QString, expected);
        const Element element(QStringLiteral("B"), {}, std::make_shared<const QString>(QStringLiteral("<b>bold</b>")),
                              {begin, length}, {begin, length});
        QCOMPARE(element.outerHTML().value_or(QStringLiteral("<none>")), expected);
        QCOMPARE(element.innerHTML().value_or(QStringLiteral("<none>")), expected);
    }

    void elementsByTagAndLinks()
    {
        DocumentData data;
        data.markup = std::make_shared<const QString>(QStringLiteral("<a>one</a><p></p><a>two</a>"));
        data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), QStringLiteral("1.htm")}}, {0, 10}, {3, 3});
        data.elements.append(QStringLiteral("P"), {}, {10, 7}, {13, 0});
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), QStringLiteral("2.htm")}},
                                                   {17, 10}, {20, 3}));
        data.elements.addLink(0);
        DocumentPtr document = std::make_shared<const Document>(std::move(data));
        QStringList hrefs;
        for (const Element& link : document->links())
            hrefs << link.href().value_or(QString());
        QCOMPARE(hrefs, (QStringList{"2.htm", "1.htm"}));
        QCOMPARE(document->getElementsByTagName(QStringLiteral("a")).size(), 2);
        QVERIFY(document->getElementsByTagName(QStringLiteral("IMG")).isEmpty());
        QCOMPARE(document->allElements().size(), 3);

        // An element handed out keeps its document's elements and markup readable.
        const Element second = document->getElementsByTagName(QStringLiteral("A")).at(1);
        document.reset();
        QCOMPARE(second.tagName(), QStringLiteral("A"));
        QCOMPARE(second.href(), QStringLiteral("2.htm"));
        QCOMPARE(second.innerHTML(), QStringLiteral("two"));
        QCOMPARE(second.outerHTML(), QStringLiteral("<a>two</a>"));
    }
};

QTEST_GUILESS_MAIN(TestElementStore)
#include "test_element_store.moc"
