// The nesting guard: HTML's own tokenizer rules, and a bound for each way markup can make
// the parser work without end.

#include "platform/html/base_address.h"
#include "platform/html/light_pass.h"
#include "platform/html/nesting_guard.h"

#include <QTest>

class TestHostileMarkup : public QObject {
    Q_OBJECT

private slots:
    void guard_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("formatting");
        QTest::addColumn<qint64>("work");
        QTest::addColumn<QByteArray>("guarded");

        const int d = ParseBounds::kMaxDepth;
        const int fm = ParseBounds::kMaxActiveFormatting;
        const qint64 w = ParseBounds::kMaxParseWork;
        // Self-closing marks mean nothing on HTML elements, and close SVG and MathML ones.
        QTest::newRow("<div/> opens a div") << QByteArray("<div/><div/><span>") << 2 << fm << w << QByteArray("<div/><div/> span>");
        QTest::newRow("<path/> inside svg closes") << QByteArray("<svg><path/><path/><g>") << 2 << fm << w << QByteArray("<svg><path/><path/><g>");
        QTest::newRow("after </svg> HTML rules again") << QByteArray("<svg></svg><div/><span/>") << 1 << fm << w << QByteArray("<svg></svg><div/> span/>");
        // Comments end where the tokenizer ends them.
        QTest::newRow("<!--> is a whole comment") << QByteArray("<!--><div><span>") << 1 << fm << w << QByteArray("<!--><div> span>");
        QTest::newRow("<!---> is a whole comment") << QByteArray("<!---><div><span>") << 1 << fm << w << QByteArray("<!---><div> span>");
        QTest::newRow("--!> ends a comment") << QByteArray("<!-- x --!><div><span>") << 1 << fm << w << QByteArray("<!-- x --!><div> span>");
        QTest::newRow("--!> before a later -->") << QByteArray("<!-- a --!><div><!-- b --><span>") << 1 << fm << w
                                                 << QByteArray("<!-- a --!><div><!-- b --> span>");
        QTest::newRow("<!-- > inside a comment") << QByteArray("<!-- > <div> --><div><span>") << 1 << fm << w << QByteArray("<!-- > <div> --><div> span>");
        // Formatting elements the parser would reopen.
        QTest::newRow("formatting beyond the cap") << QByteArray("<b><i><u>x") << d << 2 << w << QByteArray("<b><i> u>x");
        QTest::newRow("closed formatting frees the cap") << QByteArray("<b></b><i><u>x") << d << 2 << w << QByteArray("<b></b><i><u>x");
        QTest::newRow("formatting left by its block still counts") << QByteArray("<p><b><i></p><u>") << d << 2 << w << QByteArray("<p><b><i></p> u>");
        QTest::newRow("a table cell fences formatting off") << QByteArray("<table><tr><td><b><i></td><td><u><s>") << d << 2 << w
                                                            << QByteArray("<table><tr><td><b><i></td><td><u><s>");
        QTest::newRow("a cell outside a table fences nothing") << QByteArray("<td><b><i></td><u>") << d << 2 << w
                                                               << QByteArray("<td><b><i></td> u>");
        // Tag names in any letter case, and names that only begin like known ones.
        QTest::newRow("upper-case end tag closes formatting") << QByteArray("<B><I></b><U>x") << d << 2 << w << QByteArray("<B><I></b><U>x");
        QTest::newRow("raw text ends at an end tag in another case") << QByteArray("<div><SCRIPT></script><span>") << 1 << fm << w
                                                                    << QByteArray("<div><SCRIPT></script> span>");
        QTest::newRow("<imgx> is no void element") << QByteArray("<imgx><span>") << 1 << fm << w << QByteArray("<imgx> span>");
        QTest::newRow("<PlainText> ends the markup") << QByteArray("<div><PlainText><span>") << 1 << fm << w
                                                     << QByteArray("<div><PlainText><span>");
        QTest::newRow("<plaintexts> is an element") << QByteArray("<div><plaintexts><span>") << 1 << fm << w
                                                    << QByteArray("<div> plaintexts> span>");
        // Work: every tag, weighted by the formatting elements it may reopen.
        QTest::newRow("work beyond the bound cuts the page") << QByteArray("<p>a<p>b<p>c") << d << fm << qint64(2) << QByteArray("<p>a<p>b");
        QTest::newRow("open formatting weighs every tag") << QByteArray("<b><p>x<p>y") << d << fm << qint64(4) << QByteArray("<b><p>x");
        // CDATA becomes a comment that ends where the section or HTML's bogus comment does.
        QTest::newRow("CDATA in SVG") << QByteArray("<svg><![CDATA[ a > b ]]></svg>") << d << fm << w
                                      << QByteArray("<svg><!--DATA[ a   b --></svg>");
        QTest::newRow("CDATA with > outside SVG") << QByteArray("<p><![CDATA[ a > b ]]>") << d << fm << w
                                                  << QByteArray("<p><![CDATA[ a > b ]]>");
        QTest::newRow("ordinary page untouched") << QByteArray("<html><body><p><b>a</b><img src=x><br></body></html>") << d << fm << w
                                                 << QByteArray("<html><body><p><b>a</b><img src=x><br></body></html>");
    }
    void guard()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, depth);
        QFETCH(int, formatting);
        QFETCH(qint64, work);
        QFETCH(QByteArray, guarded);
        limitNesting(html, depth, formatting, work);
        QCOMPARE(html, guarded);
    }

    // Attributes past the cap of a tag read as blanks; a cap of 2 a tag in every row, and of
    // 4 a page.
    void attributeCap_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QByteArray>("guarded");
        QTest::newRow("at the cap") << QByteArray("<a b c><p>") << QByteArray("<a b c><p>");
        QTest::newRow("past the cap") << QByteArray("<a b c d e><p>") << QByteArray("<a b c    ><p>");
        QTest::newRow("values are no attributes") << QByteArray("<a b=1 c = '2' d=\"3\">") << QByteArray("<a b=1 c = '2'      >");
        QTest::newRow("attribute right after a quote") << QByteArray("<a b='1'c='2'd>") << QByteArray("<a b='1'c='2' >");
        QTest::newRow("slash parts attributes") << QByteArray("<a b/c/d>") << QByteArray("<a b/c/ >");
        QTest::newRow("> inside quotes") << QByteArray("<a b='>' c='>' d='>'>x") << QByteArray("<a b='>' c='>'      >x");
        QTest::newRow("quote inside an unquoted value") << QByteArray("<a b=x'y c d>'") << QByteArray("<a b=x'y c  >'");
        QTest::newRow("closing slash kept") << QByteArray("<svg><g a b c/>") << QByteArray("<svg><g a b  />");
        QTest::newRow("each tag counted alone") << QByteArray("<a b c><a d e>") << QByteArray("<a b c><a d e>");
        QTest::newRow("end tag attributes") << QByteArray("<p></p a b c>") << QByteArray("<p></p a b  >");
        QTest::newRow("page at its cap") << QByteArray("<a b c><a d e>x") << QByteArray("<a b c><a d e>x");
        QTest::newRow("page past its cap") << QByteArray("<a b c><a d e><a f>x") << QByteArray("<a b c><a d e>");
        QTest::newRow("blanked ones not counted") << QByteArray("<a b c d e f><a g h>x") << QByteArray("<a b c      ><a g h>x");
    }
    void attributeCap()
    {
        QFETCH(QByteArray, html);
        QFETCH(QByteArray, guarded);
        limitNesting(html, ParseBounds::kMaxDepth, ParseBounds::kMaxActiveFormatting, ParseBounds::kMaxParseWork, 2, 4);
        QCOMPARE(html, guarded);
    }

    // Past the cap, pictures and links only: each element as "TAG name=value ...", a "*"
    // after a link.
    void lightPass_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("maxElements");
        QTest::addColumn<QStringList>("elements");
        const int all = 10;
        QTest::newRow("picture, link, others passed over")
            << "<div><img src=a.gif alt=x></div><p><a href=b.htm>b</a><a name=n>" << all
            << QStringList{"IMG src=http://h.com/d/a.gif alt=x", "A href=http://h.com/d/b.htm*", "A name=n"};
        QTest::newRow("quotes, entities, letter case")
            << "<IMG ALT='a>b' Src=\"p.gif?a=1&amp;b=2&#x41;\"><AREA HREF=/m.htm>" << all
            << QStringList{"IMG alt=a>b src=http://h.com/d/p.gif?a=1&b=2A", "AREA href=http://h.com/m.htm*"};
        QTest::newRow("comments hide tags") << "<!--><img src=1><!-- <img src=2> --><img src=3>" << all
                                            << QStringList{"IMG src=http://h.com/d/1", "IMG src=http://h.com/d/3"};
        QTest::newRow("raw text hides tags to its own end tag")
            << "<script>'<img src=1>'</SCRIPT><textarea><a href=2></textarea><img src=3>" << all
            << QStringList{"IMG src=http://h.com/d/3"};
        QTest::newRow("plaintext ends the markup") << "<img src=1><plaintext><img src=2>" << all
                                                   << QStringList{"IMG src=http://h.com/d/1"};
        QTest::newRow("an unfinished tag is not read") << "<img src=1><img src='2>" << all
                                                       << QStringList{"IMG src=http://h.com/d/1"};
        QTest::newRow("engine member names not taken") << "<img filesize=9 src=1>" << all
                                                       << QStringList{"IMG src=http://h.com/d/1"};
        QTest::newRow("element bound") << "<img src=1><a href=2><img src=3>" << 2
                                       << QStringList{"IMG src=http://h.com/d/1", "A href=http://h.com/d/2*"};
    }
    void lightPass()
    {
        QFETCH(QString, markup);
        QFETCH(int, maxElements);
        QFETCH(QStringList, elements);
        ElementStore store;
        const QString text = QStringLiteral("<p>kept</p>") + markup;
        const qsizetype added = readPastTheCap(text, 11, BaseAddress(QUrl(QStringLiteral("http://h.com/d/p.htm"))),
                                               store, maxElements);
        QStringList read;
        for (ElementStore::Index i = 0; i < store.size(); ++i) {
            QString element = store.tagName(i);
            store.forEachMember(i, [&](const QString& name, QStringView value) {
                element += u' ' + name + u'=' + value.toString();
            });
            const bool link = std::find(store.links().cbegin(), store.links().cend(), quint32(i)) != store.links().cend();
            read.append(element + (link ? QStringLiteral("*") : QString()));
        }
        QCOMPARE(read, elements);
        QCOMPARE(added, store.size());
    }
};

QTEST_GUILESS_MAIN(TestHostileMarkup)
#include "test_hostile_markup.moc"
