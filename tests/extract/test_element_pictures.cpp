#include "extract/element_pictures.h"

#include <QTest>

using Members = ElementMembers;

class TestElementPictures : public QObject {
    Q_OBJECT
private slots:
    void sources_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<Members>("members");
        QTest::addColumn<QStringList>("expected");

        const auto at = [](const char* name) { return QStringLiteral("http://h.com/d/") + QLatin1String(name); };
        // srcset of IMG and SOURCE: every candidate; sizes and src are not read here.
        QTest::newRow("img srcset") << "IMG" << Members{{"src", "http://h.com/d/s.jpg"}, {"srcset", "a.jpg 1x, b.jpg 2x"}, {"sizes", "50vw"}} << QStringList{at("a.jpg"), at("b.jpg")};
        QTest::newRow("source srcset") << "SOURCE" << Members{{"srcset", "a.webp 480w, ../b.webp 960w"}} << QStringList{at("a.webp"), "http://h.com/b.webp"};
        QTest::newRow("srcset of another tag") << "DIV" << Members{{"srcset", "a.jpg"}} << QStringList{};
        // Lazy loading, on any element.
        QTest::newRow("data-src") << "IMG" << Members{{"data-src", "lazy.jpg"}} << QStringList{at("lazy.jpg")};
        QTest::newRow("data-srcset") << "IMG" << Members{{"data-srcset", "a.jpg 1x, b.jpg 2x"}} << QStringList{at("a.jpg"), at("b.jpg")};
        QTest::newRow("every lazy attribute in list order") << "DIV"
            << Members{{"data-background-image", "8.jpg"}, {"data-background", "7.jpg"}, {"data-bg", "6.jpg"},
                       {"data-lazy-src", "5.jpg"}, {"data-lazy", "4.jpg"}, {"data-original", "3.jpg"},
                       {"data-srcset", "2.jpg"}, {"data-src", "1.jpg"}}
            << QStringList{at("1.jpg"), at("2.jpg"), at("3.jpg"), at("4.jpg"), at("5.jpg"), at("6.jpg"), at("7.jpg"), at("8.jpg")};
        QTest::newRow("lazy value with url()") << "DIV" << Members{{"data-bg", "url('bg.jpg')"}} << QStringList{at("bg.jpg")};
        QTest::newRow("url() in any data value, by name") << "SECTION"
            << Members{{"data-z", "background:url(z.png)"}, {"data-a", "url(a.png), url(b.png)"}, {"data-plain", "c.png"}}
            << QStringList{at("a.png"), at("b.png"), at("z.png")};
        QTest::newRow("empty lazy value") << "IMG" << Members{{"data-src", "  "}} << QStringList{};
        QTest::newRow("not a data attribute") << "IMG" << Members{{"lazy-src", "x.jpg"}, {"datasrc", "y.jpg"}} << QStringList{};
        // META.
        QTest::newRow("og:image") << "META" << Members{{"property", "og:image"}, {"content", "/og.jpg"}} << QStringList{"http://h.com/og.jpg"};
        QTest::newRow("og:image:url by name") << "META" << Members{{"name", "OG:Image:URL"}, {"content", "a.jpg"}} << QStringList{at("a.jpg")};
        QTest::newRow("og:image:secure_url") << "META" << Members{{"property", " og:image:secure_url "}, {"content", "https://c.com/s.jpg"}} << QStringList{"https://c.com/s.jpg"};
        QTest::newRow("twitter:image") << "META" << Members{{"name", "twitter:image"}, {"content", "t.png"}} << QStringList{at("t.png")};
        QTest::newRow("og:image:width is no picture") << "META" << Members{{"property", "og:image:width"}, {"content", "600"}} << QStringList{};
        QTest::newRow("og:title") << "META" << Members{{"property", "og:title"}, {"content", "x.jpg"}} << QStringList{};
        // LINK.
        QTest::newRow("icon") << "LINK" << Members{{"rel", "icon"}, {"href", "http://h.com/favicon.ico"}} << QStringList{"http://h.com/favicon.ico"};
        QTest::newRow("shortcut icon") << "LINK" << Members{{"rel", "Shortcut Icon"}, {"href", "http://h.com/f.ico"}} << QStringList{"http://h.com/f.ico"};
        QTest::newRow("apple-touch-icon") << "LINK" << Members{{"rel", "apple-touch-icon"}, {"href", "http://h.com/t.png"}} << QStringList{"http://h.com/t.png"};
        QTest::newRow("apple-touch-icon-precomposed") << "LINK" << Members{{"rel", "apple-touch-icon-precomposed"}, {"href", "http://h.com/p.png"}} << QStringList{"http://h.com/p.png"};
        QTest::newRow("image_src") << "LINK" << Members{{"rel", "image_src"}, {"href", "http://h.com/i.jpg"}} << QStringList{"http://h.com/i.jpg"};
        QTest::newRow("preload image with imagesrcset") << "LINK"
            << Members{{"rel", "preload"}, {"as", " Image "}, {"href", "http://h.com/d/h.jpg"}, {"imagesrcset", "s1.jpg 1x, s2.jpg 2x"}}
            << QStringList{at("h.jpg"), at("s1.jpg"), at("s2.jpg")};
        QTest::newRow("preload of a script") << "LINK" << Members{{"rel", "preload"}, {"as", "script"}, {"href", "http://h.com/a.js"}} << QStringList{};
        QTest::newRow("stylesheet") << "LINK" << Members{{"rel", "stylesheet"}, {"href", "http://h.com/s.css"}} << QStringList{};
        QTest::newRow("icon inside a word") << "LINK" << Members{{"rel", "mask-icons"}, {"href", "http://h.com/m.svg"}} << QStringList{};
        // VIDEO, OBJECT, SVG image.
        QTest::newRow("video poster") << "VIDEO" << Members{{"poster", "poster.jpg"}, {"src", "http://h.com/d/v.mp4"}} << QStringList{at("poster.jpg")};
        QTest::newRow("object without type") << "OBJECT" << Members{{"data", "pic.svg"}} << QStringList{at("pic.svg")};
        QTest::newRow("object of a picture type") << "OBJECT" << Members{{"data", "pic"}, {"type", "image/svg+xml"}} << QStringList{at("pic")};
        QTest::newRow("object of another type") << "OBJECT" << Members{{"data", "movie"}, {"type", "application/x-shockwave-flash"}} << QStringList{};
        QTest::newRow("svg image href") << "IMAGE" << Members{{"href", "http://h.com/d/s.png"}} << QStringList{at("s.png")};
        QTest::newRow("svg image xlink:href") << "IMAGE" << Members{{"xlink:href", "x.png"}} << QStringList{at("x.png")};
        // A and AREA: only links to pictures.
        QTest::newRow("link to a picture") << "A" << Members{{"href", "http://h.com/big/p1.JPEG"}} << QStringList{"http://h.com/big/p1.JPEG"};
        QTest::newRow("area to a picture") << "AREA" << Members{{"href", "http://h.com/m.webp?x=1"}} << QStringList{"http://h.com/m.webp?x=1"};
        QTest::newRow("link to a page") << "A" << Members{{"href", "http://h.com/p.htm"}} << QStringList{};
        QTest::newRow("link without type") << "A" << Members{{"href", "http://h.com/photo/12"}} << QStringList{};
        // image-set() strings in a style attribute; its url() forms are the markup scan's.
        QTest::newRow("style image-set") << "DIV" << Members{{"style", "background:image-set('a.png' 1x, url(b.png) 2x)"}} << QStringList{at("a.png")};
        QTest::newRow("order within an element") << "IMG"
            << Members{{"style", "background:image-set('s.png' 1x)"}, {"data-src", "l.jpg"}, {"srcset", "c.jpg"}}
            << QStringList{at("c.jpg"), at("l.jpg"), at("s.png")};
        QTest::newRow("nothing") << "P" << Members{{"class", "x"}} << QStringList{};
    }
    void sources()
    {
        QFETCH(QString, tag);
        QFETCH(Members, members);
        QFETCH(QStringList, expected);
        CandidateList candidates;
        appendElementPictures(Element(tag, members), QStringLiteral("http://h.com/d/p.htm"), candidates,
                              QStringLiteral("T"), QStringLiteral("S"));
        QCOMPARE(candidates.addresses, expected);
        QCOMPARE(candidates.sizes, QStringList(expected.size(), QString()));
        QCOMPARE(candidates.titles, QStringList(expected.size(), QStringLiteral("T")));
    }
};

QTEST_GUILESS_MAIN(TestElementPictures)
#include "test_element_pictures.moc"
