#include "links/url_resolution.h"
#include "rfc3986_examples.h"

#include <QTest>

class TestUrlResolution : public QObject {
    Q_OBJECT
private slots:
    void resolve_data();
    void resolve();
    void longTexts();
};

void TestUrlResolution::resolve_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("expected");

    const QString page = QStringLiteral("http://h/d/p.htm");
    for (const ResolutionExample& example : kRfc3986Examples)
        QTest::addRow("RFC 3986 \"%s\"", example.reference) << example.reference << kRfc3986Base << example.target;

    QTest::newRow("two parents") << "../../a.htm" << page << "http://h/a.htm";
    QTest::newRow("parents and dots mixed") << "./.././a.htm" << "http://h/d/e/p.htm"
                                            << "http://h/d/a.htm";
    QTest::newRow("parent above root") << "../a.htm" << "http://h/p.htm" << "http://h/a.htm";
    QTest::newRow("parent, no path after host") << "../a.htm" << "http://h" << "http://h/a.htm";
    QTest::newRow("folder in the base's query") << "a.htm" << "http://h/s.asp?f=x/y" << "http://h/a.htm";
    QTest::newRow("query of a base with a fragment") << "?p=2" << "http://h/l.asp?p=1#x" << "http://h/l.asp?p=2";
    QTest::newRow("inner parents of an absolute address") << "http://x/a/../b/./c" << page << "http://x/b/c";
    QTest::newRow("inner parents of a carried address") << "go?u=https://x/a/../b" << page << "https://x/b";
    QTest::newRow("parent of https") << "../../a" << "https://h:8/x/y/z" << "https://h:8/a";
    QTest::newRow("root") << "/a.htm" << page << "http://h/a.htm";
    QTest::newRow("scheme-relative") << "//x/a.htm" << page << "http://x/a.htm";
    QTest::newRow("scheme-relative https") << "//x/a.htm" << "https://h/p" << "https://x/a.htm";
    QTest::newRow("quoted fragment") << "'#top'" << page << "http://h/d/p.htm#top";
    QTest::newRow("space") << "a b.htm" << page << "http://h/d/a%20b.htm";
    QTest::newRow("spaces around") << "  a.htm  " << page << "http://h/d/a.htm";
    QTest::newRow("apostrophe inside") << "it's.gif" << page << "http://h/d/it's.gif";
    QTest::newRow("quote inside") << "a\"b.gif" << page << "http://h/d/a\"b.gif";
    QTest::newRow("quoted root") << "'/x/a.htm'" << page << "http://h/x/a.htm";
    QTest::newRow("quoted query") << "\"?p=2\"" << "http://h/l.asp?p=1" << "http://h/l.asp?p=2";
    QTest::newRow("script tail after space") << "a b.htm' ); " << page << "http://h/d/a%20b.htm";
    QTest::newRow("inner script tail stays") << "a);b.htm" << page << "http://h/d/a);b.htm";
    QTest::newRow("apostrophes") << "'a.htm'" << page << "http://h/d/a.htm";
    QTest::newRow("script tail") << "a.htm);" << page << "http://h/d/a.htm";
    QTest::newRow("script tail behind quote") << "a.htm' );" << page << "http://h/d/a.htm";
    QTest::newRow("absolute") << "HTTP://X/y" << page << "HTTP://X/y";
    QTest::newRow("absolute https") << "https://x/y z" << page << "https://x/y%20z";
    QTest::newRow("absolute HTTPS") << "HTTPS://X/y" << page << "HTTPS://X/y";
    QTest::newRow("mailto") << "mailto:a b@c" << page << "mailto:a b@c";
    QTest::newRow("quoted mailto") << "'mailto:a@c'" << page << "mailto:a@c";
    QTest::newRow("query replaces query") << "?p=2" << "http://h/list.asp?p=1" << "http://h/list.asp?p=2";
    QTest::newRow("query added") << "?p=2" << "http://h/list.asp" << "http://h/list.asp?p=2";
    QTest::newRow("query not cleaned") << "?p= 2" << "http://h/list.asp" << "http://h/list.asp?p= 2";
    QTest::newRow("base without slash") << "a.htm" << "about:blank" << "about:a.htm";
    QTest::newRow("nested address cut at &") << "http://a/go.asp?u=http://b/p.asp?id=1&k=2" << page
                                             << "http://b/p.asp?id=1";
    QTest::newRow("nested https cut at &") << "http://a/go?u=https://b/p?id=1&k=2" << page
                                           << "https://b/p?id=1";
    QTest::newRow("nested ftp cut at &") << "http://a/go?u=ftp://b/p?id=1&k=2" << page
                                         << "ftp://b/p?id=1";
    QTest::newRow("nested mms not cut") << "http://a/go?u=mms://b/p?id=1&k=2" << page
                                        << "mms://b/p?id=1&k=2";
    QTest::newRow("embedded single marker") << "x=mms://m/s&y=1" << page << "mms://m/s&y=1";
    QTest::newRow("embedded https") << "go?u=https://b/x&y=1" << page << "https://b/x&y=1";
    QTest::newRow("embedded unknown scheme") << "xyzabcd://q" << page << "xyzabcd://q";
    QTest::newRow("unknown scheme behind text") << "u=webcal://x/c" << page << "webcal://x/c";
    QTest::newRow("unknown scheme behind digits") << "u=9webcal://x" << page << "webcal://x";
    QTest::newRow("lone parenthesis stays") << "url(http://h/i.gif)" << page << "http://h/i.gif)";

    // Texts of punctuation only, or markers at the very edges.
    QTest::newRow("marker only") << "://" << page << "://";
    QTest::newRow("marker at end") << "abcdef://" << page << "abcdef://";
    QTest::newRow("marker behind punctuation") << "=====://" << page << "://";
    QTest::newRow("parent only") << "../" << page << "http://h/";
    QTest::newRow("dot slash only") << "./" << page << "http://h/d/";
    QTest::newRow("slash only") << "/" << page << "http://h/";
    QTest::newRow("question mark, empty base") << "?" << "" << "?";
    QTest::newRow("all empty") << "" << "" << "";
    QTest::newRow("parent, empty base") << "../../a" << "" << "a";
    QTest::newRow("parent, bare scheme base") << "../a" << "http://" << "http:///a";
    QTest::newRow("quotes and semicolons") << "'\");' ;" << "" << ");'%20;";
    QTest::newRow("quotes only") << "'\"' \"" << page << "http://h/d/p.htm";
}

void TestUrlResolution::resolve()
{
    QFETCH(QString, link);
    QFETCH(QString, base);
    QFETCH(QString, expected);
    QCOMPARE(resolveUrl(link, base), expected);
}

void TestUrlResolution::longTexts()
{
    const QString path(40000, u'a');
    QCOMPARE(resolveUrl(QStringLiteral("../") + path, QStringLiteral("http://h/d/p")),
             QStringLiteral("http://h/") + path);
    const QString carried = QStringLiteral("http://h/go?u=") + path + QStringLiteral("http://b/x?a=1&b");
    QCOMPARE(resolveUrl(carried, QString()), QStringLiteral("http://b/x?a=1"));
    QCOMPARE(resolveUrl(QString(50000, u'/'), QStringLiteral("http://h/")),
             QStringLiteral("http:") + QString(50000, u'/'));
}

QTEST_GUILESS_MAIN(TestUrlResolution)
#include "test_url_resolution.moc"
