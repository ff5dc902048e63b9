#include "extract/page_script_text.h"
#include "links/script_functions.h"
#include "links/script_links.h"
#include "links/url_resolution.h"

#include <QTest>

namespace {
using TaggedElements = QList<std::pair<QString, ElementMembers>>; // tag name, members
const QString showPage = QStringLiteral("<script>function show(id){window.open('view.asp?id='+id,'w')}</script>");
}

class TestScriptLinks : public QObject {
    Q_OBJECT
private slots:
    void withoutPageScript_data();
    void withoutPageScript();
    void prefix_data();
    void prefix();
    void pageFunction();
    void newPageForgetsLastFunction();
    void failedLookupIsNotServedAnotherPrefix();
    void selfCallingPrefixEnds();
    void alternatingFunctions();
    void parameterSearchesAreBounded();
    void scriptTextOfADocument_data();
    void scriptTextOfADocument();
    void markupIsNoScript();
};

void TestScriptLinks::withoutPageScript_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("expected");

    QTest::newRow("window.open") << "javascript:window.open('a.htm','w')" << "http://h/d/a.htm";
    QTest::newRow("letter case") << "JavaScript:Window.Open(\"a.htm\")" << "http://h/d/a.htm";
    QTest::newRow("unknown function") << "javascript:show(12)" << "http://h/d/12";
    QTest::newRow("void") << "javascript:void(0)" << "http://h/d/0";
    QTest::newRow("empty arguments") << "javascript:history.back()" << "javascript:history.back()";
    QTest::newRow("no parenthesis") << "javascript:;" << "javascript:;";
    QTest::newRow("root") << "javascript:window.open('/x/a.htm')" << "http://h/x/a.htm";
    QTest::newRow("parent") << "javascript:window.open('../a.htm')" << "http://h/a.htm";
    QTest::newRow("unclosed call") << "javascript:window.open('a.htm'" << "javascript:window.open('a.htm";
    QTest::newRow("empty name") << "javascript:(1)" << "http://h/d/1";
    QTest::newRow("nested call") << "javascript:window.open(javascript:window.open(x))"
                                 << "javascript:window.open(x";
}

void TestScriptLinks::withoutPageScript()
{
    QFETCH(QString, link);
    QFETCH(QString, expected);
    QCOMPARE(resolveUrl(link, QStringLiteral("http://h/d/p.htm")), expected);
}

void TestScriptLinks::prefix_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("described") << showPage << "show" << "view.asp?id=";
    QTest::newRow("letter case") << "FUNCTION Show(ID){Window.Open(\"v.asp?ID=\" + id)}" << "show" << "v.asp?ID=";
    QTest::newRow("first parameter") << "function go(p,q){window.open('x/'+q+'/'+p)}" << "go" << "x/q/";
    QTest::newRow("no definition") << showPage << "hide" << "";
    QTest::newRow("no window.open") << "function show(id){location=id}" << "show" << "";
    QTest::newRow("no closing parenthesis") << "function show(id" << "show" << "";
    QTest::newRow("parameter unused") << "function show(id){window.open('a.htm')}" << "show" << "";
    QTest::newRow("no parameter") << "function show(){window.open('a.htm')}" << "show" << "";
    QTest::newRow("empty text") << "" << "show" << "";
    QTest::newRow("empty name") << showPage << "" << "";
    QTest::newRow("punctuation") << "function ((((){window.open(" << "(" << "";
    QTest::newRow("first definition counts") << "function show(id){window.open('one.asp?id='+id)} function show(n){window.open('two.asp?n='+n)}"
                                             << "show" << "one.asp?id=";
    QTest::newRow("later name, same start") << "function showAll(n){} function show(id){window.open('v.asp?id='+id)}"
                                            << "show" << "v.asp?id=";
    QTest::newRow("name holding a space") << "function a b(id){window.open('v.asp?id='+id)}" << "a b" << "v.asp?id=";
    QTest::newRow("head without parenthesis") << "function show" << "show" << "";
    QTest::newRow("window.open before the definition") << "window.open('x'+id);function show(id){}" << "show" << "";
}

void TestScriptLinks::prefix()
{
    QFETCH(QString, script);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(ScriptFunctions(script).prefix(name).value_or(QString()), expected);
}

void TestScriptLinks::pageFunction()
{
    PageScripts page(showPage);
    const QString base = QStringLiteral("http://h/d/p.htm");
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(12)"), base, &page), QStringLiteral("http://h/d/view.asp?id=12"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:SHOW('13')"), base, &page), QStringLiteral("http://h/d/view.asp?id=13"));

    // Far beyond 32767 characters.
    PageScripts longPage(QString(70000, u' ') + showPage);
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(14)"), base, &longPage), QStringLiteral("http://h/d/view.asp?id=14"));
}

void TestScriptLinks::newPageForgetsLastFunction()
{
    const QString base = QStringLiteral("http://h/d/p.htm");
    PageScripts first(showPage);
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base, &first), QStringLiteral("http://h/d/view.asp?id=1"));
    PageScripts second(QStringLiteral("function show(n){window.open('pic.asp?n='+n)}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base, &second), QStringLiteral("http://h/d/pic.asp?n=1"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base), QStringLiteral("http://h/d/1"));
}

void TestScriptLinks::failedLookupIsNotServedAnotherPrefix()
{
    const QString base = QStringLiteral("http://h/d/p.htm");
    PageScripts page(showPage + QStringLiteral("function bad(n){window.open('x.htm')}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base, &page), QStringLiteral("http://h/d/view.asp?id=1"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:bad(1)"), base, &page), QString());
    QCOMPARE(resolveUrl(QStringLiteral("javascript:bad(1)"), base, &page), QString());
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(2)"), base, &page), QStringLiteral("http://h/d/view.asp?id=2"));
}

void TestScriptLinks::selfCallingPrefixEnds()
{
    // The prefix of f is itself a call of f: each resolution would start the next.
    PageScripts page(QStringLiteral("function f(id){window.open('javascript:f(1)'+id)}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:f(2)"), QStringLiteral("http://h/"), &page), QString());
}

void TestScriptLinks::alternatingFunctions()
{
    // Each link calls another function than the one before it.
    PageScripts page(QString(20000, u' ') + QStringLiteral("function a(x){window.open('a.asp?x='+x)}")
                     + QStringLiteral("function b(y){window.open('b.asp?y='+y)}"));
    const QString base = QStringLiteral("http://h/d/p.htm");
    for (int i = 0; i < 50000; ++i) {
        const QString name = i % 2 == 0 ? QStringLiteral("a") : QStringLiteral("b");
        const QString parameter = i % 2 == 0 ? QStringLiteral("x") : QStringLiteral("y");
        const QString link = QStringLiteral("javascript:%1(%2)").arg(name).arg(i);
        const QString expected = QStringLiteral("http://h/d/%1.asp?%2=%3").arg(name, parameter).arg(i);
        if (resolveUrl(link, base, &page) != expected)
            QFAIL(qPrintable(link));
    }
}

void TestScriptLinks::parameterSearchesAreBounded()
{
    // Each function's parameter has a name of its own, so each costs a search of the text.
    QString script;
    const int functions = ScriptFunctions::maxParameterSearches + 1;
    for (int i = 0; i < functions; ++i)
        script += QStringLiteral("function f%1(p%1){window.open('v.asp?n='+p%1)}").arg(i, 3, 10, QLatin1Char('0'));
    const QString base = QStringLiteral("http://h/");
    PageScripts page(script);
    for (int i = 0; i < functions; ++i) {
        const QString link = QStringLiteral("javascript:f%1(7)").arg(i, 3, 10, QLatin1Char('0'));
        const QString expected = i < ScriptFunctions::maxParameterSearches ? QStringLiteral("http://h/v.asp?n=7") : QString();
        QCOMPARE(resolveUrl(link, base, &page), expected);
    }
}

void TestScriptLinks::scriptTextOfADocument_data()
{
    QTest::addColumn<TaggedElements>("elements");
    QTest::addColumn<QString>("expected");

    const auto element = [](const char* tag, const ElementMembers& members) {
        return std::pair{QString::fromLatin1(tag), members};
    };
    QTest::newRow("scripts in order") << TaggedElements{element("SCRIPT", {{"innerhtml", "one()"}}),
                                                        element("SCRIPT", {{"innerhtml", "two()"}})}
                                      << "one()\ntwo()";
    QTest::newRow("handlers of any tag") << TaggedElements{element("A", {{"onclick", "go(1)"}, {"href", "x.htm"}}),
                                                           element("X-WIDGET", {{"onmouseover", "show(2)"}})}
                                         << "go(1)\nshow(2)";
    QTest::newRow("scripts before handlers") << TaggedElements{element("IMG", {{"onload", "h()"}, {"src", "a.gif"}}),
                                                               element("SCRIPT", {{"innerhtml", "s()"}})}
                                             << "s()\nh()";
    QTest::newRow("handlers of one element by name") << TaggedElements{element("BODY", {{"onload", "l()"}, {"onclick", "c()"}})}
                                                     << "c()\nl()";
    QTest::newRow("no scripts") << TaggedElements{element("DIV", {{"id", "show"}, {"title", "function"}})} << "";
    QTest::newRow("empty script") << TaggedElements{element("SCRIPT", {})} << "";
}

void TestScriptLinks::scriptTextOfADocument()
{
    QFETCH(TaggedElements, elements);
    QFETCH(QString, expected);
    DocumentData data;
    for (const auto& [tag, members] : elements)
        data.elements.append(tag, members);
    QCOMPARE(pageScriptText(Document(data)), expected);
}

void TestScriptLinks::markupIsNoScript()
{
    // A word of the markup behind the script is no use of the function's parameter.
    const QString script = QStringLiteral("function show(id){window.open('view.asp?id='+id)}");
    DocumentData data;
    data.markup = std::make_shared<const QString>(QStringLiteral("<script>") + script
                                                  + QStringLiteral("</script><div id=\"main\"></div>"));
    data.elements.append(QStringLiteral("SCRIPT"), {{QStringLiteral("innerhtml"), script}});
    data.elements.append(QStringLiteral("DIV"), {{QStringLiteral("id"), QStringLiteral("main")}});
    PageScripts page(pageScriptText(Document(data)));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(3)"), QStringLiteral("http://h/d/p.htm"), &page),
             QStringLiteral("http://h/d/view.asp?id=3"));
}

QTEST_GUILESS_MAIN(TestScriptLinks)
#include "test_script_links.moc"
