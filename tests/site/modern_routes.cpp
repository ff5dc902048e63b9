#include "site/modern_routes.h"

#include "site/test_site.h"

void addModernRoutes(TestSite& site)
{
    const auto add = [&site](const char* path, const QByteArray& contentType, const QByteArray& body) {
        site.setRoute(QString::fromLatin1(path), htmlRoute(body, 200, contentType));
    };
    add("/modern/index.htm", "text/html; charset=utf-8", R"html(<!DOCTYPE html>
<html><head><title>Modern</title>
<meta property="og:image" content="img/og.jpg">
<meta name="og:image:url" content="img/og-url.jpg">
<meta property="og:image:secure_url" content="img/og-secure.jpg">
<meta name="twitter:image" content="img/twitter.jpg">
<meta property="og:title" content="img/not-a-picture.jpg">
<link rel="shortcut icon" href="img/favicon.ico">
<link rel="apple-touch-icon" href="img/touch.png">
<link rel="apple-touch-icon-precomposed" href="img/touch-pre.png">
<link rel="image_src" href="img/image-src.jpg">
<link rel="preload" as="image" href="img/hero.jpg" imagesrcset="img/hero-1.jpg 1x, img/hero-2.jpg 2x">
<link rel="stylesheet" href="css/main.css">
<style>
@import url("css/block.css");
.hero { background-image: image-set("img/set-1.png" 1x, "img/set-2.png" 2x); }
/* .old { background: url(img/commented-block.gif) } */
</style>
</head><body>
<img src="img/plain.gif" srcset="img/s-1.png 1x, img/s,2.webp 2x" sizes="50vw">
<img src="img/dyn">
<picture><source srcset="img/p.avif 1x, img/p-bad.avif 1x 2x" type="image/avif"><img src="img/p.jpg"></picture>
<img data-src="img/lazy.jpg" data-srcset="img/lazy-1.jpg 1x, img/lazy-2.jpg 2x">
<div data-original="img/original.jpg" data-lazy="img/lazy-plain.jpg" data-lazy-src="img/lazy-src.jpg"></div>
<div data-bg="url('img/bg.jpg')" data-background="img/background.jpg" data-background-image="img/background-image.jpg"></div>
<div data-settings='{"image":"url(img/settings.png)"}'></div>
<div data-src="img/probed"></div>
<div data-src="img/page-not-picture"></div>
<video poster="img/poster.jpg" src="media/clip.mp4"></video>
<object data="img/drawing.svg" type="image/svg+xml"></object>
<object data="media/movie" type="application/x-shockwave-flash"></object>
<svg><image href="img/svg-href.png"/><image xlink:href="img/svg-xlink.png"/></svg>
<a href="img/full.jpeg"><img src="img/thumb.gif"></a>
<a href="pic/7">a picture without an extension</a>
<a href="page2.htm">a page</a>
</body></html>
)html");
    add("/modern/page2.htm", "text/html", "<html><head><title>Two</title></head><body><p>nothing</p></body></html>");
    add("/modern/css/main.css", "text/css", R"css(@import 'parts/deep.css';
/* body { background: url(../img/commented.gif) } */
.a { background: url(../img/main.gif) }
.b { background: -webkit-image-set("../img/main-set.png" 1x) }
)css");
    add("/modern/css/parts/deep.css", "text/css",
        "@import url(../main.css);\n.c { background: url(../../img/deep.gif) }\n");
    add("/modern/css/block.css", "text/css", ".d { background: url(../img/block.gif) }\n");
    add("/modern/img/plain.gif", "image/gif", "GIF89a-plain");
    add("/modern/img/thumb.gif", "image/gif", "GIF89a-thumb");
    add("/modern/img/dyn", "image/png", "PNG-dynamic");
    add("/modern/img/probed", "image/jpeg", "JPEG-probed");
    add("/modern/img/page-not-picture", "text/html", "<html></html>");
    add("/modern/img/full.jpeg", "image/jpeg", "JPEG-full");
    add("/modern/pic/7", "image/png", "PNG-seven");
}
