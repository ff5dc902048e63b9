#include "site/modern_routes.h"

#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace {

// A picture in a writer's format; noisy pictures are large, as photographs are.
QByteArray written(const char* format, int width, int height, bool noisy = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    quint32 seed = quint32(width * 7919 + height);
    for (int y = 0; noisy && y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xff000000u | (seed >> 8);
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.write(image);
    return buffer.data();
}

QByteArray svg(const QByteArray& sizeAttributes)
{
    return R"(<?xml version="1.0"?>
<svg xmlns="http://www.w3.org/2000/svg" )" + sizeAttributes + R"(><rect width="10" height="10" fill="red"/></svg>
)";
}

QByteArray be32(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray box(const char* type, const QByteArray& payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}

// An AVIF as far as its dimensions: the primary item 1 and its image spatial extents.
QByteArray avifHeader(int width, int height)
{
    const QByteArray ispe = box("ispe", be32(0) + be32(quint32(width)) + be32(quint32(height)));
    const QByteArray ipma = box("ipma", be32(0) + be32(1) + QByteArray("\0\x01\x01\x81", 4));
    const QByteArray pitm = box("pitm", be32(0) + QByteArray("\0\x01", 2));
    return box("ftyp", "avif" + be32(0) + "mif1miaf")
           + box("meta", be32(0) + pitm + box("hdlr", be32(0)) + box("iprp", box("ipco", ispe) + ipma));
}

} // namespace

const QList<ModernPicture>& modernPictures()
{
    static const QList<ModernPicture> pictures = [] {
        QList<ModernPicture> made;
        const auto add = [&made](const char* path, const char* format, const QByteArray& contentType, bool noisy = false) {
            // Each its own dimensions, so that a row given another's figures shows.
            const int index = int(made.size());
            made.append({QString::fromLatin1(path), contentType,
                         written(format, noisy ? 800 + index : 16 + index * 3, noisy ? 600 + index : 9 + index * 2, noisy)});
        };
        for (const char* jpeg : {"img/og.jpg", "img/og-url.jpg", "img/og-secure.jpg", "img/twitter.jpg",
                                 "img/image-src.jpg", "img/hero.jpg", "img/hero-1.jpg", "img/hero-2.jpg",
                                 "img/p.jpg", "img/lazy.jpg", "img/lazy-1.jpg", "img/lazy-2.jpg", "img/original.jpg",
                                 "img/lazy-plain.jpg", "img/lazy-src.jpg", "img/bg.jpg", "img/background.jpg",
                                 "img/background-image.jpg", "img/poster.jpg"})
            add(jpeg, "jpeg", "image/jpeg");
        for (const char* png : {"img/touch.png", "img/touch-pre.png", "img/main-set.png", "img/set-1.png",
                                "img/set-2.png", "img/s-1.png", "img/settings.png", "img/svg-href.png",
                                "img/svg-xlink.png"})
            add(png, "png", "image/png");
        // Qt writes no GIF.
        for (const char* gif : {"img/main.gif", "img/deep.gif", "img/block.gif", "img/plain.gif", "img/thumb.gif"}) {
            const int index = int(made.size());
            made.append({QString::fromLatin1(gif), "image/gif", gifPicture(16 + index * 3, 9 + index * 2, 400 + index)});
        }
        add("img/favicon.ico", "ico", "image/x-icon");
        add("img/s,2.webp", "webp", "image/webp");
        add("img/dyn", "png", "image/png");
        add("img/probed", "jpeg", "image/jpeg");
        add("pic/7", "png", "image/png");
        // Larger than the first bytes a loaded picture keeps, and than a probe's first range.
        add("img/photo.jpg", "jpeg", "image/jpeg", true);
        add("img/full.jpeg", "jpeg", "image/jpeg", true);
        made.append({QStringLiteral("img/drawing.svg"), "image/svg+xml", svg(R"(width="120px" height="45")")});
        made.append({QStringLiteral("img/viewbox.svg"), "image/svg+xml", svg(R"(viewBox="0 0 300 150")")});
        // No writer here makes AVIF, nor does Qt read one: its header, which tells the size.
        made.append({QStringLiteral("img/p.avif"), "image/avif", avifHeader(160, 90)});
        return made;
    }();
    return pictures;
}

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
<img src="img/photo.jpg" alt="larger than its first bytes">
<div style="background: url(img/viewbox.svg) no-repeat"></div>
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
    add("/modern/img/page-not-picture", "text/html", "<html></html>");
    for (const ModernPicture& picture : modernPictures()) {
        TestRoute route = htmlRoute(picture.body, 200, picture.contentType);
        // As servers of static files do; one that does not is read only as far as it must be.
        route.honourRange = picture.path != QLatin1String("img/full.jpeg");
        site.setRoute(QStringLiteral("/modern/") + picture.path, route);
    }
}
