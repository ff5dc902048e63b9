// Snapshots of parsed pages without the network: members, markup slices, titles, links,
// frames and style sheets, and pages built to hurt the parser.

#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/nesting_guard.h"
#include "platform/net_test_support.h"

#include <QTest>

namespace {

const QUrl kPage(QStringLiteral("http://h.com/dir/page.htm"));

DocumentPtr snapshot(const QString& html, const QUrl& address = kPage)
{
    UrlCache cache;
    return parseHtml(html, address).finish({}, cache);
}

} // namespace

class TestHtmlSnapshot : public QObject {
    Q_OBJECT

private slots:
    void members_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("expected");

        QTest::newRow("relative src") << "<img src=\"a.gif\">" << "IMG" << "src" << "http://h.com/dir/a.gif";
        QTest::newRow("parent and rooted") << "<img src=\"../x/./a.gif\">" << "IMG" << "src" << "http://h.com/x/a.gif";
        QTest::newRow("scheme-relative") << "<a href=\"//o.com/p\">" << "A" << "href" << "http://o.com/p";
        QTest::newRow("spaces around and inside") << "<img src=\" \ta b.gif\n \">" << "IMG" << "src" << "http://h.com/dir/a%20b.gif";
        QTest::newRow("entities decoded") << "<a href=\"p?a=1&amp;b=2\">" << "A" << "href" << "http://h.com/dir/p?a=1&b=2";
        QTest::newRow("non-ascii encoded") << "<img src=\"图.gif\">" << "IMG" << "src" << "http://h.com/dir/%E5%9B%BE.gif";
        QTest::newRow("empty href is the page") << "<a href=\"\">x</a>" << "A" << "href" << "http://h.com/dir/page.htm";
        QTest::newRow("fragment kept") << "<a href=\"#top\">" << "A" << "href" << "http://h.com/dir/page.htm#top";
        QTest::newRow("javascript as written") << "<a href=\" javascript:open1(3, 4) \">" << "A" << "href" << "javascript:open1(3, 4)";
        QTest::newRow("base href") << "<base href=\"http://cdn.h.com/s/\"><img src=\"a.gif\">" << "IMG" << "src" << "http://cdn.h.com/s/a.gif";
        QTest::newRow("relative base href") << "<base href=\"../b/\"><img src=\"a.gif\">" << "IMG" << "src" << "http://h.com/b/a.gif";
        QTest::newRow("base later in the page counts") << "<img src=\"a.gif\"><base href=\"/z/\">" << "IMG" << "src" << "http://h.com/z/a.gif";
        QTest::newRow("script base ignored") << "<base href=\"javascript:x\"><img src=\"a.gif\">" << "IMG" << "src" << "http://h.com/dir/a.gif";
        QTest::newRow("background raw") << "<table><tr><td background=\" b.gif \">" << "TD" << "background" << " b.gif ";
        QTest::newRow("type raw") << "<input type=\"IMAGE \" src=i.gif>" << "INPUT" << "type" << "IMAGE ";
        QTest::newRow("missing member") << "<img alt=x>" << "IMG" << "src" << "<none>";
        QTest::newRow("no size without a cache entry") << "<img src=a.gif>" << "IMG" << "filesize" << "<none>";
        QTest::newRow("unknown tag upper case") << "<my-widget src=\"w.gif\"></my-widget>" << "MY-WIDGET" << "src" << "http://h.com/dir/w.gif";
        QTest::newRow("outer of implied end") << "<table><tr><td>a<td>b</table>" << "TD" << "outerhtml" << "<td>a";
        QTest::newRow("inner of implied end") << "<ul><li>one<li>two</ul>" << "LI" << "innerhtml" << "one";
        QTest::newRow("outer after wide characters") << "<p>图片</p><b>粗体</b>" << "B" << "outerhtml" << "<b>粗体</b>";
        QTest::newRow("outer with astral characters") << "<p>😀😀</p><i x=\"😀\">y</i>" << "I" << "outerhtml" << "<i x=\"😀\">y</i>";
        QTest::newRow("outer keeps letter case") << "<EMBED SRC=\"Image/x.svg\">" << "EMBED" << "outerhtml" << "<EMBED SRC=\"Image/x.svg\">";
        QTest::newRow("inner of nested") << "<div id=a><div>x</div>y</div>" << "DIV" << "innerhtml" << "<div>x</div>y";
        QTest::newRow("srcset raw") << "<img srcset=\" a.jpg 1x,b.jpg 2x\">" << "IMG" << "srcset" << " a.jpg 1x,b.jpg 2x";
        QTest::newRow("data attribute raw") << "<div data-bg=\"url(../bg.jpg)\">" << "DIV" << "data-bg" << "url(../bg.jpg)";
        QTest::newRow("attribute names in lower case") << "<META PROPERTY=og:image CONTENT=\"o.jpg\">" << "META" << "property" << "og:image";
        QTest::newRow("content raw") << "<meta property=og:image content=\"../o.jpg\">" << "META" << "content" << "../o.jpg";
        QTest::newRow("poster raw") << "<video poster=\"p.jpg\"></video>" << "VIDEO" << "poster" << "p.jpg";
        QTest::newRow("svg image href absolute") << "<svg><image href=\"s.png\"/></svg>" << "IMAGE" << "href" << "http://h.com/dir/s.png";
        QTest::newRow("svg image xlink:href raw") << "<svg><image xlink:href=\"x.png\"/></svg>" << "IMAGE" << "xlink:href" << "x.png";
        QTest::newRow("first of a repeated attribute") << "<div data-src=a.jpg data-src=b.jpg>" << "DIV" << "data-src" << "a.jpg";
        QTest::newRow("filesize is not taken from the markup") << "<img src=a.gif filesize=999>" << "IMG" << "filesize" << "<none>";
        QTest::newRow("outerhtml is not taken from the markup") << "<b outerhtml=x>y</b>" << "B" << "outerhtml" << "<b outerhtml=x>y</b>";
        QString crowded = QStringLiteral("<div");
        for (int i = 0; i < ParseBounds::kMaxAttributes; ++i)
            crowded += QStringLiteral(" a%1='%1'").arg(i);
        crowded += QStringLiteral(" id=late>x</div>");
        QTest::newRow("last attribute within the cap") << crowded << "DIV" << QString("a%1").arg(ParseBounds::kMaxAttributes - 1)
                                                       << QString::number(ParseBounds::kMaxAttributes - 1);
        QTest::newRow("attribute past the cap") << crowded << "DIV" << "id" << "<none>";
        QTest::newRow("outer of a crowded element") << crowded << "DIV" << "outerhtml" << crowded;
    }
    void members()
    {
        QFETCH(QString, html);
        QFETCH(QString, tag);
        QFETCH(QString, member);
        QFETCH(QString, expected);
        const DocumentPtr document = snapshot(html);
        const QList<Element> elements = document->getElementsByTagName(tag);
        QVERIFY(!elements.isEmpty());
        QCOMPARE(elements.first().tagName(), tag);
        QCOMPARE(memberText(elements.first(), member), expected);
    }

    void fileSizeFromTheCache()
    {
        UrlCache cache;
        QVERIFY(cache.store(QStringLiteral("http://h.com/dir/a.gif"), QByteArray(1234, 'g')));
        const DocumentPtr document = parseHtml(QStringLiteral("<img src=a.gif><img src=b.gif>"), kPage).finish({}, cache);
        const QList<Element> images = document->getElementsByTagName(QStringLiteral("img"));
        QCOMPARE(images.size(), 2);
        QCOMPARE(images.at(0).fileSize(), QStringLiteral("1234"));
        QVERIFY(!images.at(1).fileSize());
    }

    void titles_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("title");
        QTest::newRow("spaces collapsed") << "<title>\n  A \t long   title </title>" << "A long title";
        QTest::newRow("entities") << "<title>Tom &amp; Jerry</title>" << "Tom & Jerry";
        QTest::newRow("first of two") << "<title>One</title><title>Two</title>" << "One";
        QTest::newRow("svg title is not the page's") << "<body><svg><title>Icon</title></svg><title>Page</title>" << "Page";
        QTest::newRow("none") << "<p>no title</p>" << "";
    }
    void titles()
    {
        QFETCH(QString, html);
        QFETCH(QString, title);
        QCOMPARE(snapshot(html)->title(), title);
    }

    void documentMembers()
    {
        const QString html = QStringLiteral("<!DOCTYPE html><html><body background=\"bg.gif\">"
                                            "<a href=a.htm>a</a><a name=x>no</a><map><area href=m.htm><area nohref></map>"
                                            "<a href=\"b.htm\"><img src=i.gif></a></body></html>");
        const DocumentPtr document = snapshot(html);
        QVERIFY(document->isHtml());
        QCOMPARE(document->URL(), kPage.toString());
        QCOMPARE(document->location(), kPage.toString());
        QCOMPARE(document->bodyBackground(), QStringLiteral("bg.gif"));
        QCOMPARE(document->documentElementOuterHTML(), html);
        QStringList links;
        for (const Element& link : document->links())
            links << link.tagName() + QLatin1Char(' ') + link.href().value_or(QString());
        QCOMPARE(links, QStringList({"A http://h.com/dir/a.htm", "AREA http://h.com/dir/m.htm", "A http://h.com/dir/b.htm"}));
        QCOMPARE(document->links().at(2).innerHTML(), QStringLiteral("<img src=i.gif>"));
        QVERIFY(!snapshot("<body>")->bodyBackground());
        // An empty address names the page, without the page's fragment.
        const DocumentPtr atFragment = snapshot("<a href=\"\">x</a>", QUrl("http://h.com/p.htm#s"));
        QCOMPARE(atFragment->links().at(0).href(), QStringLiteral("http://h.com/p.htm"));
        QCOMPARE(atFragment->URL(), QStringLiteral("http://h.com/p.htm#s"));
    }

    void elementsInDocumentOrder()
    {
        UrlCache cache;
        QVERIFY(cache.store(QStringLiteral("http://h.com/dir/b.gif"), QByteArray(77, 'g')));
        const DocumentPtr document = parseHtml(QStringLiteral(
            "<html><head><meta property=og:image content=o.jpg><link rel=icon href=i.ico></head>"
            "<body><img src=a.gif><p><img src=b.gif srcset=\"c.gif 2x\"></p><svg><image href=s.png /></svg></body></html>"),
            kPage).finish({}, cache);
        QStringList tags;
        for (const Element& element : document->allElements())
            tags << element.tagName();
        QCOMPARE(tags, QStringList({"HTML", "HEAD", "META", "LINK", "BODY", "IMG", "P", "IMG", "SVG", "IMAGE"}));
        // The IMG elements in order are those of the tag list, sizes included.
        const Element second = document->allElements().at(7);
        QCOMPARE(second.src(), QStringLiteral("http://h.com/dir/b.gif"));
        QCOMPARE(second.fileSize(), QStringLiteral("77"));
        QCOMPARE(second.member(QStringLiteral("srcset")), QStringLiteral("c.gif 2x"));
        QCOMPARE(document->getElementsByTagName(QStringLiteral("IMG")).at(1).fileSize(), QStringLiteral("77"));
    }

    void baseURI()
    {
        QCOMPARE(snapshot("<img src=a.gif>")->baseURI(), kPage.toString());
        QCOMPARE(snapshot("<base href=\"../b/\"><img src=a.gif>")->baseURI(), QStringLiteral("http://h.com/b/"));
        QCOMPARE(snapshot("<base href=\"javascript:x\">")->baseURI(), kPage.toString());
    }

    void pastTheCapOnlyPicturesAndLinksAreRead()
    {
        // html, head and body, then enough elements to pass the cap, then a picture and a link.
        QString html = QStringLiteral("<img src=first.gif>") + QStringLiteral("<span></span>").repeated(kMaxElements)
                       + QStringLiteral("<img src=late.gif><a href=late.htm>late</a>");
        const ParsedPage page = parseHtml(html, kPage);
        QCOMPARE(page.data.elements.size(), kMaxElements + 2);
        QCOMPARE(page.pictures, (QStringList{"http://h.com/dir/first.gif", "http://h.com/dir/late.gif"}));
        QCOMPARE(page.images.size(), 2);
        QCOMPARE(page.data.elements.links().size(), size_t(1));
        QCOMPARE(page.data.elements.member(page.data.elements.links().front(), u"href"),
                 QStringLiteral("http://h.com/dir/late.htm"));
        QCOMPARE(page.data.elements.elementsNamed(QStringLiteral("SPAN")).size(), size_t(kMaxElements - 4));
    }

    void lonePicture()
    {
        const DocumentPtr document = lonePictureDocument(QStringLiteral("http://h.com/pic?id=1"), 321);
        QVERIFY(document->isHtml());
        QVERIFY(document->links().isEmpty());
        QCOMPARE(document->allElements().size(), 1);
        const QList<Element> images = document->getElementsByTagName(QStringLiteral("IMG"));
        QCOMPARE(images.size(), 1);
        QCOMPARE(images.at(0).src(), QStringLiteral("http://h.com/pic?id=1"));
        QCOMPARE(images.at(0).fileSize(), QStringLiteral("321"));
    }

    void whatThePageLoads_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("pictures");

        const QString base = QStringLiteral("http://h.com/dir/");
        QTest::newRow("sheets by type or rel")
            << "<link type=\" TEXT/CSS \" href=a.css><link rel=\"alternate StyleSheet\" href=b.css>"
               "<link rel=stylesheet type=text/plain href=c.css><link rel=icon href=d.ico>"
               "<link rel=stylesheet href=\"\"><link rel=stylesheet>"
            << QStringList{base + "a.css", base + "b.css"} << QStringList{} << QStringList{};
        QTest::newRow("frames in document order")
            << "<iframe src=f1.htm></iframe><p><iframe></iframe></p><iframe src=\" \"></iframe>"
            << QStringList{} << QStringList{base + "f1.htm", "", ""} << QStringList{};
        QTest::newRow("frameset")
            << "<frameset><frame src=a.htm><frameset><frame src=b.htm></frameset></frameset>"
            << QStringList{} << QStringList{base + "a.htm", base + "b.htm"} << QStringList{};
        QTest::newRow("style blocks import sheets")
            << "<link rel=stylesheet href=a.css><style>@import 'b.css'; /* @import 'x.css'; */</style>"
               "<style>p{} @import url(/c.css);</style><script>var s = \"@import 'no.css'\";</script>"
            << QStringList{base + "a.css", base + "b.css", "http://h.com/c.css"} << QStringList{} << QStringList{};
        QTest::newRow("pictures with a source")
            << "<img src=a.gif><img><img src=\"\"><img src=a.gif>"
            << QStringList{} << QStringList{} << QStringList{base + "a.gif", base + "a.gif"};
    }
    void whatThePageLoads()
    {
        QFETCH(QString, html);
        QFETCH(QStringList, sheets);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, pictures);
        const ParsedPage page = parseHtml(html, kPage);
        QCOMPARE(page.styleSheets + page.styleBlockImports, sheets);
        QCOMPARE(page.frameSources, frames);
        QCOMPARE(page.pictures, pictures);
    }

    void contentTypes_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<bool>("html");
        QTest::newRow("html") << QByteArray("text/html") << true;
        QTest::newRow("html with charset") << QByteArray("Text/HTML; charset=gbk") << true;
        QTest::newRow("xhtml") << QByteArray("application/xhtml+xml") << true;
        QTest::newRow("none") << QByteArray() << true;
        QTest::newRow("plain text") << QByteArray("text/plain") << false;
        QTest::newRow("picture") << QByteArray("image/gif") << false;
    }
    void contentTypes()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(bool, html);
        QCOMPARE(isHtmlContentType(contentType), html);
    }

    // Pages built to hurt: each must parse, quickly, into something sensible.
    void hostileMarkup_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("images");

        QTest::newRow("100000 nested divs") << QByteArray("<div>").repeated(100'000) + "<img src=a.gif>" << 1;
        QTest::newRow("nested tables") << QByteArray("<table><tr><td>").repeated(20'000) + "<img src=a.gif>" << 1;
        QTest::newRow("formatting clones") << QByteArray("<b><div></b>").repeated(20'000) + "<img src=a.gif>" << 1;
        QTest::newRow("unclosed anchors") << QByteArray("<a href=x>").repeated(50'000) + "<img src=a.gif>" << 1;
        QTest::newRow("huge attribute") << "<img alt=\"" + QByteArray(8 << 20, 'a') + "\" src=a.gif>" << 1;
        QTest::newRow("invalid utf-8") << QByteArray("<img src=\"\xff\xfe\xc3.gif\"><p>\xed\xa0\x80</p>") << 1;
        QTest::newRow("nul bytes") << QByteArray("<im\0g src=a.gif><img s\0rc=b.gif><img src=c\0.gif>", 48) << 2;
        QTest::newRow("unclosed comment") << QByteArray("<img src=a.gif><!-- <img src=b.gif>") << 1;
        QTest::newRow("unclosed tag") << QByteArray("<img src=a.gif><img src=\"b.gif") << 1;
        QTest::newRow("CDATA text in a table") << QByteArray("<table><svg><title><![CDATA[ x ]]>y</svg><img src=a.gif>") << 1;
        // The guard takes the table for SVG's, and leaves the CDATA to the parser, which aborts.
        QTest::newRow("a parser fault")
            << QByteArray("<svg><table><script><!--</script><svg><foreignObject><![CDATA[ ]]>><img src=a.gif>") << 1;
        QTest::newRow("only a less-than") << QByteArray("<") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
    }
    void hostileMarkup()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, images);
        const DocumentPtr document = snapshot(decodeHtml(bytes, "text/html"));
        QVERIFY(document);
        const QList<Element> found = document->getElementsByTagName(QStringLiteral("IMG"));
        QCOMPARE(found.size(), images);
        for (const Element& image : found)
            QVERIFY(image.outerHTML().value_or(QString()).startsWith(QStringLiteral("<img"), Qt::CaseInsensitive));
    }

    void nestingGuard_data()
    {
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QByteArray>("guarded");

        QTest::newRow("within the limit") << QByteArray("<div><div></div></div>") << 2 << QByteArray("<div><div></div></div>");
        QTest::newRow("beyond the limit") << QByteArray("<div><p><span>x") << 1 << QByteArray("<div><p> span>x");
        QTest::newRow("closed elements free the depth") << QByteArray("<i></i><b></b><u>") << 1 << QByteArray("<i></i><b></b><u>");
        QTest::newRow("void elements never count") << QByteArray("<div><img><br/><hr>") << 1 << QByteArray("<div><img><br/><hr>");
        QTest::newRow("script text is not markup") << QByteArray("<div><script><b><b></script><em>") << 2 << QByteArray("<div><script><b><b></script><em>");
        QTest::newRow("quoted greater-than") << QByteArray("<div title=\"a>b\"><span>") << 1 << QByteArray("<div title=\"a>b\"> span>");
        QTest::newRow("formatting end tag leaves inner elements open")
            << QByteArray("<b><div></b><i>") << 2 << QByteArray("<b><div></b><i>");
        QTest::newRow("formatting end tag leaves inner elements open, counted")
            << QByteArray("<b><div></b><p><i><u>") << 2 << QByteArray("<b><div></b><p><i> u>");
        QTest::newRow("comments skipped") << QByteArray("<div><!-- <b> --><i>") << 1 << QByteArray("<div><!-- <b> --> i>");
    }
    void nestingGuard()
    {
        QFETCH(QByteArray, html);
        QFETCH(int, limit);
        QFETCH(QByteArray, guarded);
        limitNesting(html, limit);
        QCOMPARE(html, guarded);
    }
};

QTEST_GUILESS_MAIN(TestHtmlSnapshot)
#include "test_html_snapshot.moc"
