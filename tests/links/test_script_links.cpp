#include "links/script_links.h"
#include "links/url_resolution.h"

#include <QTest>

namespace {
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
    setPageScriptText(QString());
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
}

void TestScriptLinks::prefix()
{
    QFETCH(QString, script);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(findFunctionPrefix(script, name), expected);
}

void TestScriptLinks::pageFunction()
{
    setPageScriptText(showPage);
    const QString base = QStringLiteral("http://h/d/p.htm");
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(12)"), base), QStringLiteral("http://h/d/view.asp?id=12"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:SHOW('13')"), base), QStringLiteral("http://h/d/view.asp?id=13"));

    // Far beyond 32767 characters.
    setPageScriptText(QString(70000, u' ') + showPage);
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(14)"), base), QStringLiteral("http://h/d/view.asp?id=14"));
}

void TestScriptLinks::newPageForgetsLastFunction()
{
    const QString base = QStringLiteral("http://h/d/p.htm");
    setPageScriptText(showPage);
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base), QStringLiteral("http://h/d/view.asp?id=1"));
    setPageScriptText(QStringLiteral("function show(n){window.open('pic.asp?n='+n)}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base), QStringLiteral("http://h/d/pic.asp?n=1"));
    setPageScriptText(QString());
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base), QStringLiteral("http://h/d/1"));
}

void TestScriptLinks::failedLookupIsNotServedAnotherPrefix()
{
    const QString base = QStringLiteral("http://h/d/p.htm");
    setPageScriptText(showPage + QStringLiteral("function bad(n){window.open('x.htm')}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(1)"), base), QStringLiteral("http://h/d/view.asp?id=1"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:bad(1)"), base), QString());
    QCOMPARE(resolveUrl(QStringLiteral("javascript:bad(1)"), base), QString());
    QCOMPARE(resolveUrl(QStringLiteral("javascript:show(2)"), base), QStringLiteral("http://h/d/view.asp?id=2"));
}

void TestScriptLinks::selfCallingPrefixEnds()
{
    // The prefix of f is itself a call of f: each resolution would start the next.
    setPageScriptText(QStringLiteral("function f(id){window.open('javascript:f(1)'+id)}"));
    QCOMPARE(resolveUrl(QStringLiteral("javascript:f(2)"), QStringLiteral("http://h/")), QString());
}

QTEST_GUILESS_MAIN(TestScriptLinks)
#include "test_script_links.moc"
