#include "css/css_urls.h"

#include <QTest>

class TestCssUrls : public QObject {
    Q_OBJECT
private slots:
    void scan_data();
    void scan();
    void candidateFields();
    void longText();
};

void TestCssUrls::scan_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    const auto at = [](const char* name) { return QStringLiteral("http://h/d/") + QLatin1String(name); };
    QTest::newRow("semicolon") << "background:url(a.gif);" << QStringList{at("a.gif")};
    QTest::newRow("capitals, quotes, spaces") << "background: URL( 'b.png' ) no-repeat" << QStringList{at("b.png")};
    QTest::newRow("url space, CR LF") << "url (\"c.jpg\")\r\n" << QStringList{at("c.jpg")};
    QTest::newRow("style attribute") << "<p style=background:url(d.gif)\">" << QStringList{at("d.gif")};
    QTest::newRow("brace") << "body{background:url(e.gif)}" << QStringList{at("e.gif")};
    QTest::newRow("brace, later ) ") << "body{background:url(e.gif)} x) " << QStringList{at("e.gif")};
    QTest::newRow("lone line feed") << "url(f.gif)\n" << QStringList{at("f.gif")};
    QTest::newRow("end of text") << "url(f.gif)" << QStringList{at("f.gif")};
    QTest::newRow("empty reference") << "url() " << QStringList{};
    // An empty reference names the sheet itself.
    QTest::newRow("spaces only") << "url(  ) " << QStringList{at("s.css")};
    QTest::newRow("two references") << "url(g.gif) url(h.gif) " << QStringList{at("g.gif"), at("h.gif")};
    QTest::newRow("two in a rule") << "a{b:url(g.gif),url(h.gif)}" << QStringList{at("g.gif"), at("h.gif")};
    QTest::newRow("no reference") << "background:red" << QStringList{};
    QTest::newRow("two spaces") << "url  (i.gif) " << QStringList{};
    QTest::newRow("CR LF before parenthesis") << "url\r\n(i.gif) " << QStringList{};
    QTest::newRow("mixed case") << "Url(j.gif)" << QStringList{at("j.gif")};
    QTest::newRow("upper case") << "URL(q.gif)" << QStringList{at("q.gif")};
    QTest::newRow("upper case after other u's") << "u uU: URL(q.gif)" << QStringList{at("q.gif")};
    QTest::newRow("comment after other stars") << "a*b u/**/rl(z.gif)" << QStringList{at("z.gif")};
    QTest::newRow("mixed case, space") << "uRL (j.gif)" << QStringList{at("j.gif")};
    QTest::newRow("parenthesis in quotes") << "url(\"k(1).gif\")" << QStringList{at("k(1).gif")};
    QTest::newRow("parenthesis in apostrophes") << "url( 'k(2).gif' )}" << QStringList{at("k(2).gif")};
    QTest::newRow("unclosed quote") << "url(\"l.gif)" << QStringList{at("l.gif")};
    QTest::newRow("unclosed parenthesis") << "url(m.gif" << QStringList{};
    QTest::newRow("absolute") << "url(http://x/n.gif)" << QStringList{"http://x/n.gif"};
    QTest::newRow("root") << "url(/o.gif)" << QStringList{"http://h/o.gif"};
    QTest::newRow("parent") << "url(../../p.gif)" << QStringList{"http://h/p.gif"};
    QTest::newRow("empty text") << "" << QStringList{};
    QTest::newRow("marker only") << "url(" << QStringList{};
    QTest::newRow("commented out") << "/* a{background:url(x.gif)} */b{background:url(y.gif)}" << QStringList{at("y.gif")};
    QTest::newRow("comment in a rule") << "a{background:/*url(x.gif)*/url(y.gif)}" << QStringList{at("y.gif")};
    QTest::newRow("two comments") << "/*url(x.gif)*/url(y.gif)/* url(z.gif) */" << QStringList{at("y.gif")};
    QTest::newRow("comment spans lines") << "/*\r\nurl(x.gif)\n*/url(y.gif)" << QStringList{at("y.gif")};
    QTest::newRow("unclosed comment") << "<a href=\"/files/*\"><p style=\"background:url(y.gif)\">" << QStringList{at("y.gif")};
    QTest::newRow("comment inside the word") << "u/**/rl(z.gif)" << QStringList{at("z.gif")};
    QTest::newRow("comment between word and parenthesis") << "url/**/(x.gif)" << QStringList{at("x.gif")};
    QTest::newRow("comment closes at the first */") << "/* a */url(y.gif)/* b */" << QStringList{at("y.gif")};
    const QString font = QStringLiteral("src:url(f.svg#OpenSans) format('svg')");
    QTest::newRow("@font-face") << "@font-face{" + font + "}b{background:url(y.gif)}" << QStringList{at("y.gif")};
    QTest::newRow("@FONT-FACE, spaces, comment") << "@FONT-FACE /*{*/ {" + font + "}url(y.gif)" << QStringList{at("y.gif")};
    QTest::newRow("@font-face holding } in a string and a comment")
        << "@font-face{font-family:'a}';/*}*/" + font + "}url(y.gif)" << QStringList{at("y.gif")};
    QTest::newRow("@font-face commented out") << "/*@font-face{*/url(y.gif)}" << QStringList{at("y.gif")};
    QTest::newRow("@font-face unclosed") << "@font-face{url(y.gif)" << QStringList{at("y.gif")};
    QTest::newRow("@font-feature-values") << "@font-feature-values F{url(y.gif)}" << QStringList{at("y.gif")};
    QTest::newRow("@font-facet, then @font-face")
        << "@font-facet{url(y.gif)}@font-face{" + font + "}" << QStringList{at("y.gif")};
    QTest::newRow("punctuation") << "url()url(\"url('')'\")" << QStringList{at("s.css")};
}

void TestCssUrls::scan()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    CandidateList candidates;
    scanCssUrls(text, QStringLiteral("http://h/d/s.css"), candidates, QString(), QString());
    QCOMPARE(candidates.addresses, expected);
}

void TestCssUrls::candidateFields()
{
    CandidateList candidates;
    candidates.append(QStringLiteral("http://h/first.gif"), QStringLiteral("10"), QString(), QString());
    scanCssUrls(QStringLiteral("url(a.gif) url(b.gif)"), QStringLiteral("http://h/"), candidates,
                QStringLiteral("Title"), QStringLiteral("http://h/page.htm"));
    QCOMPARE(candidates.addresses,
             (QStringList{"http://h/first.gif", "http://h/a.gif", "http://h/b.gif"}));
    QCOMPARE(candidates.sizes, (QStringList{"10", "", ""}));
    QCOMPARE(candidates.titles, (QStringList{"", "Title", "Title"}));
    QCOMPARE(candidates.sources, (QStringList{"", "http://h/page.htm", "http://h/page.htm"}));
}

void TestCssUrls::longText()
{
    // References far beyond 32767 characters, and one reference longer than that.
    QString text = QString(40000, u'x') + QStringLiteral("url(a.gif)") + QString(40000, u';');
    text += QStringLiteral("url(") + QString(40000, u'b') + QStringLiteral(".gif)");
    CandidateList candidates;
    scanCssUrls(text, QStringLiteral("http://h/"), candidates, QString(), QString());
    QCOMPARE(candidates.addresses,
             (QStringList{"http://h/a.gif", QStringLiteral("http://h/") + QString(40000, u'b') + ".gif"}));
}

QTEST_GUILESS_MAIN(TestCssUrls)
#include "test_css_urls.moc"
