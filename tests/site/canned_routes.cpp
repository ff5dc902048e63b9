// The canned routes of the loopback test site: a small web site whose root page "/" links
// every other page, so that a crawl from "/" finds them all. Tests may replace any route
// with setRoute before or after listen().

#include "site/canned_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QStringEncoder>

const QList<CannedPicture>& cannedPictures()
{
    static const QList<CannedPicture> pictures{
        {QStringLiteral("/img/bg.gif"), "image/gif", 32, 32, 1100},
        {QStringLiteral("/img/logo.gif"), "image/gif", 40, 30, 2048},
        {QStringLiteral("/img/photo.png"), "image/png", 64, 48, 5000},
        {QStringLiteral("/img/anim.gif"), "image/gif", 16, 16, 700},
        {QStringLiteral("/img/cell.gif"), "image/gif", 8, 8, 300},
        {QStringLiteral("/img/button.gif"), "image/gif", 24, 12, 512},
        {QStringLiteral("/img/inline.gif"), "image/gif", 10, 10, 333},
        {QStringLiteral("/img/style-block.gif"), "image/gif", 12, 12, 444},
        {QStringLiteral("/img/sheet-bg.gif"), "image/gif", 1, 40, 555},
        {QStringLiteral("/img/note.gif"), "image/gif", 9, 9, 266},
        {QStringLiteral("/img/extra.gif"), "image/gif", 5, 5, 123},
        {QStringLiteral("/img/a.gif"), "image/gif", 20, 20, 1024},
        {QStringLiteral("/img/nested.gif"), "image/gif", 7, 7, 777},
    };
    return pictures;
}

QByteArray cannedPictureBytes(const CannedPicture& picture)
{
    return picture.contentType == "image/png"
               ? pngPicture(picture.width, picture.height, picture.bytes)
               : gifPicture(picture.width, picture.height, picture.bytes);
}

namespace {

TestRoute redirectRoute(const QByteArray& location)
{
    TestRoute route = htmlRoute("<html><body>Moved</body></html>", 302);
    route.headers.append({"Location", location});
    return route;
}

} // namespace

void TestSite::addCannedRoutes()
{
    auto add = [this](const QString& path, const TestRoute& route) {
        if (!m_routes.contains(path))
            m_routes.insert(path, route);
    };
    auto page = [&](const QString& path, const QString& html) { add(path, htmlRoute(html.toUtf8())); };

    // Home: a body background, a picture, and a link to every page of the site and one
    // to another site.
    page(QStringLiteral("/"), QStringLiteral(R"html(<!DOCTYPE html>
<html><head><title>Quorvane test site</title></head>
<body background="img/bg.gif">
<h1>Test site</h1>
<img src="img/logo.gif" alt="logo">
<ul>
<li><a href="pictures.htm">Every kind of picture</a>
<li><a href="links.htm">Links</a>
<li><a href="sub/base.htm">A page with a base address</a>
<li><a href="frames.htm">Frames</a>
<li><a href="nested.htm">Nested frames</a>
<li><a href="self_frame.htm">A frame that holds itself</a>
<li><a href="cross_frame.htm">A frame of another site</a>
<li><a href="gbk.htm">GBK</a> <a href="big5.htm">Big5</a> <a href="sjis.htm">Shift_JIS</a>
<li><a href="redirect.htm">Redirect</a> <a href="loop.htm">Redirect loop</a>
<li><a href="missing.htm">Missing page</a> <a href="error.htm">Server error</a>
<li><a href="never.htm">A page that never finishes</a> <a href="huge.htm">A huge page</a>
<li><a href="notes">Plain text</a>
<li><a href="%1">Another site</a>
</ul>
</body></html>
)html").arg(otherHostUrl(QStringLiteral("/away.htm"))));

    // Every kind of picture source: body background, EMBED of an image type (and one that
    // is not), TD background, INPUT of type image, IMG (one twice, one missing), inline
    // style, style block, a linked sheet with a type and one with only rel.
    page(QStringLiteral("/pictures.htm"), QStringLiteral(R"html(<!DOCTYPE html>
<html><head><title>Pictures</title>
<link rel="stylesheet" type="text/css" href="css/site.css">
<link rel="stylesheet" href="css/extra.css">
<link rel="icon" href="img/icon.gif">
<style>.banner { background: url(img/style-block.gif) no-repeat; }</style>
</head>
<body background="img/bg.gif">
<embed src="img/anim.gif" type="image/gif">
<embed src="media/clip.swf" type="application/x-shockwave-flash">
<table><tr><td background="img/cell.gif">cell</td><td>plain</td></tr></table>
<form><input type="image" src="img/button.gif"><input type="submit" value="Go"></form>
<img src="img/photo.png" alt="photo">
<img src="img/logo.gif" alt="logo">
<img src="img/missing.gif" alt="missing">
<img alt="no source">
<div class="banner" style="background-image: url('img/inline.gif');">banner</div>
<p><a href="/">Home</a></p>
</body></html>
)html"));
    // The linked sheets; their references are relative to the sheet.
    add(QStringLiteral("/css/site.css"),
        htmlRoute("body { background: url(../img/sheet-bg.gif) repeat-x; }\n"
                  ".note { list-style-image: url(\"../img/note.gif\"); }\n",
                  200, "text/css"));
    add(QStringLiteral("/css/extra.css"),
        htmlRoute(".extra { background: url(../img/extra.gif) }\n", 200, "text/css"));

    // Links of every kind: relative, rooted, absolute, fragment, script, mail, an
    // excluded type, an anchor without address, image-map areas, another site.
    page(QStringLiteral("/links.htm"), QStringLiteral(R"html(<!DOCTYPE html>
<html><head><title>Links</title></head><body>
<a href="pictures.htm">relative</a>
<a href="/frames.htm">rooted</a>
<a href="%1">absolute</a>
<a href="links.htm#top">fragment</a>
<a href="javascript:open1(3)">script</a>
<a href="mailto:someone@example.invalid">mail</a>
<a href="files/archive.zip">archive</a>
<a name="no-address">no address</a>
<img src="img/logo.gif" usemap="#map" alt="map">
<map name="map"><area shape="rect" coords="0,0,20,15" href="sub/base.htm"><area shape="rect" coords="20,0,40,15" nohref></map>
<a href="%2">another site</a>
</body></html>
)html").arg(url(QStringLiteral("/nested.htm")), otherHostUrl(QStringLiteral("/away.htm"))));

    // A base address: "logo.gif" is /img/logo.gif and "../links.htm" is /links.htm.
    page(QStringLiteral("/sub/base.htm"), QStringLiteral(R"html(<!DOCTYPE html>
<html><head><title>Base address</title><base href="/img/"></head>
<body><img src="logo.gif" alt="logo"><a href="../links.htm">links</a></body></html>
)html"));

    // A frameset of two frames, each with its own picture and link.
    page(QStringLiteral("/frames.htm"), QStringLiteral(R"html(<html><head><title>Frames</title></head>
<frameset cols="50%,50%"><frame src="frame_a.htm"><frame src="frame_b.htm"></frameset></html>
)html"));
    page(QStringLiteral("/frame_a.htm"), QStringLiteral(R"html(<html><head><title>Frame A</title></head>
<body><img src="img/a.gif" alt="a"><a href="frame_b.htm">B</a></body></html>
)html"));
    page(QStringLiteral("/frame_b.htm"), QStringLiteral(R"html(<html><head><title>Frame B</title></head>
<body><table><tr><td background="img/cell.gif">b</td></tr></table><a href="pictures.htm">pictures</a></body></html>
)html"));

    // Frames two deep: nested.htm holds nested_1.htm, which holds nested_2.htm.
    page(QStringLiteral("/nested.htm"), QStringLiteral(R"html(<html><head><title>Nested frames</title></head>
<body><img src="img/logo.gif" alt="logo"><iframe src="nested_1.htm"></iframe></body></html>
)html"));
    page(QStringLiteral("/nested_1.htm"), QStringLiteral(R"html(<html><head><title>Nested 1</title></head>
<body><iframe src="nested_2.htm"></iframe></body></html>
)html"));
    page(QStringLiteral("/nested_2.htm"), QStringLiteral(R"html(<html><head><title>Nested 2</title></head>
<body><img src="img/nested.gif" alt="nested"></body></html>
)html"));

    // A frame that holds the page itself.
    page(QStringLiteral("/self_frame.htm"), QStringLiteral(R"html(<html><head><title>Self frame</title></head>
<body><img src="img/logo.gif" alt="logo"><iframe src="self_frame.htm"></iframe></body></html>
)html"));

    // A frame of another origin (not read), then one of this site.
    page(QStringLiteral("/cross_frame.htm"), QStringLiteral(R"html(<html><head><title>Cross frame</title></head>
<body><iframe src="%1"></iframe><iframe src="frame_b.htm"></iframe></body></html>
)html").arg(otherHostUrl(QStringLiteral("/frame_a.htm"))));

    // Pages in other charsets: GBK named by <meta charset="gb2312"> (the title holds a
    // character that only GBK has), Big5 named by the HTTP header, Shift_JIS by http-equiv.
    add(QStringLiteral("/gbk.htm"),
        htmlRoute(QStringEncoder("GBK").encode(QStringLiteral(R"html(<html><head><meta charset="gb2312">
<title>图片测试：镕</title></head>
<body><p>中文网页</p><img src="img/logo.gif" alt="标志"><a href="/">首页</a></body></html>
)html")), 200, "text/html"));
    add(QStringLiteral("/big5.htm"),
        htmlRoute(QStringEncoder("Big5").encode(QStringLiteral(R"html(<html><head><title>圖片搜尋測試</title></head>
<body><p>繁體中文網頁</p><img src="img/logo.gif" alt="標誌"></body></html>
)html")), 200, "text/html; charset=big5"));
    add(QStringLiteral("/sjis.htm"),
        htmlRoute(QStringEncoder("Shift_JIS").encode(QStringLiteral(R"html(<html><head>
<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
<title>画像検索テスト</title></head>
<body><p>日本語のページ</p><img src="img/logo.gif" alt="ロゴ"></body></html>
)html")), 200, "text/html"));

    // A redirect to a page in another folder, and two pages that redirect to each other.
    add(QStringLiteral("/redirect.htm"), redirectRoute("/redirected/target.htm"));
    page(QStringLiteral("/redirected/target.htm"), QStringLiteral(R"html(<html><head><title>Redirect target</title></head>
<body><img src="../img/logo.gif" alt="logo"><a href="../links.htm">links</a></body></html>
)html"));
    add(QStringLiteral("/loop.htm"), redirectRoute("/loop_back.htm"));
    add(QStringLiteral("/loop_back.htm"), redirectRoute("/loop.htm"));

    // "/missing.htm" has no route: the site answers 404. A server error with a page body:
    add(QStringLiteral("/error.htm"), htmlRoute(R"html(<html><head><title>Server error</title></head>
<body><img src="img/logo.gif" alt="logo">Server error</body></html>
)html", 500));

    // A page whose body never ends.
    TestRoute never = htmlRoute("<html><head><title>Never</title></head><body><p>This page never ends");
    never.neverFinish = true;
    add(QStringLiteral("/never.htm"), never);

    // A page of 33 MiB, generated while it is sent.
    if (!m_routes.contains(QStringLiteral("/huge.htm")))
        m_fillerRoutes.insert(QStringLiteral("/huge.htm"), kHugePageBytes);

    // Plain text: not a web page, although it names a picture.
    add(QStringLiteral("/notes"),
        htmlRoute("Plain text notes, not a web page: url(img/logo.gif)\n", 200, "text/plain"));

    // The pictures.
    for (const CannedPicture& picture : cannedPictures())
        add(picture.path, htmlRoute(cannedPictureBytes(picture), 200, picture.contentType));
}
