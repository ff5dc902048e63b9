#include "css/sheet_scan.h"
#include "extract/document_walk.h"
#include "extract/style_sheet_links.h"
#include "platform/url_cache.h"

#include <QStringDecoder>
#include <QTest>

namespace {

using Members = ElementMembers;
using Sheets = QHash<QString, QString>; // address -> text, in the cache

struct Page {
    DocumentData data;
    explicit Page(const QString& url, const QString& title = QStringLiteral("T"))
    {
        data.url = url;
        data.location = url;
        data.title = title;
    }
    Page& add(const char* tag, Members members)
    {
        data.elements.append(QLatin1String(tag), members);
        return *this;
    }
    Page& markup(const QString& text)
    {
        data.markup = std::make_shared<const QString>(text);
        return *this;
    }
    Page& frame(DocumentPtr frame)
    {
        data.frames.append(std::move(frame));
        return *this;
    }
    DocumentPtr done() const { return std::make_shared<const Document>(data); }
};

QStringList walk(const DocumentPtr& document, const UrlCache* cache = nullptr)
{
    CandidateList candidates;
    提取网页全部图片连接(document, candidates, cache);
    QStringList lines;
    for (qsizetype i = 0; i < candidates.size(); ++i)
        lines.append(QStringList{candidates.addresses.at(i), candidates.sizes.at(i),
                                 candidates.titles.at(i), candidates.sources.at(i)}
                         .join(QLatin1Char('|')));
    return lines;
}

QStringList addressesOf(const DocumentPtr& document, const UrlCache* cache = nullptr)
{
    CandidateList candidates;
    提取网页全部图片连接(document, candidates, cache);
    return candidates.addresses;
}

} // namespace

class TestDocumentWalk : public QObject {
    Q_OBJECT

private slots:
    void sourcesInOrder()
    {
        UrlCache cache;
        cache.store(QStringLiteral("http://h.com/css/s.css"), "li{background:url(../img/sheet.gif)}");
        Page page(QStringLiteral("http://h.com/d/p.htm"), QStringLiteral("  Pics  "));
        page.data.location = QStringLiteral(" http://h.com/d/p.htm ");
        page.data.bodyBackground = QStringLiteral("body.gif");
        page.add("IMG", {{"src", "http://h.com/d/img1.gif"}, {"filesize", "2048"}})
            .add("IMG", {{"alt", "no src"}})
            .add("IMG", {{"src", "http://h.com/d/img1.gif"}})
            .add("TD", {{"background", "td.gif"}})
            .add("TD", {{"background", ""}})
            .add("EMBED", {{"src", "e.svg"}, {"outerhtml", "<embed src=e.svg type=IMAGE/svg+xml>"}})
            .add("EMBED", {{"src", "movie.swf"}, {"outerhtml", "<embed src=movie.swf>"}})
            .add("INPUT", {{"type", "IMAGE"}, {"src", "http://h.com/d/in.gif"}})
            .add("INPUT", {{"type", "image "}, {"src", "http://h.com/d/no1.gif"}})
            .add("INPUT", {{"type", "submit"}, {"src", "http://h.com/d/no2.gif"}})
            .add("LINK", {{"rel", "stylesheet"}, {"href", "http://h.com/css/s.css"}})
            .add("LINK", {{"type", "text/css"}, {"href", "http://h.com/css/missing.css"}})
            .markup(QStringLiteral("<div style=\"background:url(mark.png)\">"));
        const QString tail = QStringLiteral("|Pics|http://h.com/d/p.htm");
        QCOMPARE(walk(page.done(), &cache), (QStringList{
            "http://h.com/d/body.gif|" + tail,
            "http://h.com/d/e.svg|" + tail,
            "http://h.com/d/td.gif|" + tail,
            "http://h.com/d/in.gif|" + tail,
            "http://h.com/d/img1.gif|2048" + tail,
            "http://h.com/d/img1.gif|" + tail,
            "http://h.com/d/mark.png|" + tail,
            "http://h.com/img/sheet.gif|" + tail,
        }));
    }

    void framesDepthFirst()
    {
        const DocumentPtr inner = Page(QStringLiteral("http://h.com/inner.htm"))
                                      .add("IMG", {{"src", "http://h.com/3.gif"}}).done();
        const DocumentPtr first = Page(QStringLiteral("http://h.com/f1.htm"))
                                      .add("IMG", {{"src", "http://h.com/2.gif"}}).frame(inner).done();
        const DocumentPtr second = Page(QStringLiteral("http://h.com/f2.htm"))
                                       .add("IMG", {{"src", "http://h.com/4.gif"}}).done();
        const DocumentPtr top = Page(QStringLiteral("http://h.com/"))
                                    .add("IMG", {{"src", "http://h.com/1.gif"}})
                                    .frame(first).frame(nullptr).frame(second).done();
        QCOMPARE(addressesOf(top), (QStringList{"http://h.com/1.gif", "http://h.com/2.gif",
                                                "http://h.com/3.gif", "http://h.com/4.gif"}));
    }

    void documentWithoutAddressGivesOnlyElementPictures()
    {
        UrlCache cache;
        cache.store(QStringLiteral("http://h.com/s.css"), "a{background:url(sheet.gif) }");
        Page page{QString()};
        page.add("IMG", {{"src", "http://h.com/i.gif"}})
            .add("LINK", {{"type", "text/css"}, {"href", "http://h.com/s.css"}})
            .markup(QStringLiteral("<p style='background:url(http://h.com/m.gif)'>"));
        QCOMPARE(addressesOf(page.done(), &cache), QStringList{"http://h.com/i.gif"});
    }

    void eachDocumentResolvesScriptLinksWithItsOwnFunctions()
    {
        const auto scripted = [](const QString& url, const QString& folder) {
            Page page(url);
            page.add("TD", {{"background", "javascript:show('x.gif')"}})
                .add("SCRIPT", {{"innerhtml", QStringLiteral("function show(id){window.open('%1/'+id)}").arg(folder)}});
            return page;
        };
        const DocumentPtr frame = scripted(QStringLiteral("http://h.com/f.htm"), QStringLiteral("b")).done();
        const DocumentPtr top = scripted(QStringLiteral("http://h.com/p.htm"), QStringLiteral("a")).frame(frame).done();
        QCOMPARE(addressesOf(top), (QStringList{"http://h.com/a/x.gif", "http://h.com/b/x.gif"}));
    }

    void modernSourcesFollowInDocumentOrder()
    {
        Page page(QStringLiteral("http://h.com/d/p.htm"));
        page.data.baseUrl = QStringLiteral("http://cdn.h.com/b/");
        page.add("META", {{"property", "og:image"}, {"content", "og.jpg"}})
            .add("IMG", {{"src", "http://h.com/d/1.gif"}, {"srcset", "s1.jpg 1x, s2.jpg 2x"}})
            .add("DIV", {{"data-bg", "url(bg.jpg)"}})
            .add("A", {{"href", "http://h.com/d/full.png"}})
            .add("TD", {{"background", "td.gif"}})
            .markup(QStringLiteral("<p style='background:url(m.gif)'>"));
        QCOMPARE(addressesOf(page.done()), (QStringList{
            "http://h.com/d/td.gif", "http://h.com/d/1.gif", "http://h.com/d/m.gif",
            "http://cdn.h.com/b/og.jpg", "http://cdn.h.com/b/s1.jpg", "http://cdn.h.com/b/s2.jpg",
            "http://cdn.h.com/b/bg.jpg", "http://h.com/d/full.png"}));
    }

    void modernSourcesWithoutAddress()
    {
        // Absolute ones still count; style sheets are not read without an address.
        UrlCache cache;
        cache.store(QStringLiteral("http://h.com/s.css"), "@import 'i.css';");
        cache.store(QStringLiteral("http://h.com/i.css"), "a{background:url(i.gif)}");
        Page page{QString()};
        page.add("IMG", {{"srcset", "http://h.com/a.jpg 1x"}})
            .add("LINK", {{"rel", "stylesheet"}, {"href", "http://h.com/s.css"}});
        QCOMPARE(addressesOf(page.done(), &cache), QStringList{"http://h.com/a.jpg"});
    }

    void imports_data()
    {
        QTest::addColumn<Sheets>("sheets");
        QTest::addColumn<QString>("styleBlock");
        QTest::addColumn<QStringList>("expected");

        const QString main = QStringLiteral("http://h.com/css/main.css");
        QTest::newRow("relative to the importing sheet")
            << Sheets{{main, "@import 'parts/a.css'; x{background:url(m.gif)}"},
                      {"http://h.com/css/parts/a.css", "y{background:url(../../img/a.gif)}"}}
            << QString() << QStringList{"http://h.com/css/m.gif", "http://h.com/img/a.gif"};
        QTest::newRow("imports of imports, depth first")
            << Sheets{{main, "@import 'a.css'; @import 'c.css';"}, {"http://h.com/css/a.css", "@import 'b.css'; a{background:url(a.gif)}"},
                      {"http://h.com/css/b.css", "b{background:url(b.gif)}"}, {"http://h.com/css/c.css", "c{background:url(c.gif)}"}}
            << QString() << QStringList{"http://h.com/css/a.gif", "http://h.com/css/b.gif", "http://h.com/css/c.gif"};
        QTest::newRow("loop")
            << Sheets{{main, "@import 'a.css'; m{background:url(m.gif)}"},
                      {"http://h.com/css/a.css", "@import 'main.css'; @import 'a.css'; a{background:url(a.gif)}"}}
            << QString() << QStringList{"http://h.com/css/m.gif", "http://h.com/css/a.gif"};
        Sheets chain{{main, "@import '1.css';"}};
        QStringList chainExpected;
        for (int depth = 1; depth <= 9; ++depth) {
            chain.insert(QStringLiteral("http://h.com/css/%1.css").arg(depth),
                         QStringLiteral("@import '%1.css'; x{background:url(%2.gif)}").arg(depth + 1).arg(depth));
            if (depth <= 8)
                chainExpected.append(QStringLiteral("http://h.com/css/%1.gif").arg(depth));
        }
        QTest::newRow("eight deep at most") << chain << QString() << chainExpected;
        QTest::newRow("imported sheet not cached")
            << Sheets{{main, "@import 'gone.css';"}} << QString() << QStringList{};
        QTest::newRow("image-set strings of a sheet")
            << Sheets{{main, "x{background:image-set('../img/x.png' 1x, url(y.png) 2x)}"}}
            << QString() << QStringList{"http://h.com/css/y.png", "http://h.com/img/x.png"};
        QTest::newRow("style block imports against the document's base")
            << Sheets{{"http://cdn.h.com/b/s/b.css", "b{background:url(b.gif)}"}}
            << "@import url(s/b.css); p{background:image-set('p.png' 1x)}"
            << QStringList{"http://cdn.h.com/b/p.png", "http://cdn.h.com/b/s/b.gif"};
        QTest::newRow("a linked sheet is not read again as an import")
            << Sheets{{main, "m{background:url(m.gif)}"}}
            << "@import 'http://h.com/css/main.css';" << QStringList{"http://h.com/css/m.gif"};
    }
    void imports()
    {
        QFETCH(Sheets, sheets);
        QFETCH(QString, styleBlock);
        QFETCH(QStringList, expected);
        UrlCache cache;
        for (auto sheet = sheets.cbegin(); sheet != sheets.cend(); ++sheet)
            QVERIFY(cache.store(sheet.key(), sheet.value().toUtf8()));
        Page page(QStringLiteral("http://h.com/d/p.htm"));
        page.data.baseUrl = QStringLiteral("http://cdn.h.com/b/");
        if (sheets.contains(QStringLiteral("http://h.com/css/main.css")))
            page.add("LINK", {{"rel", "stylesheet"}, {"href", "http://h.com/css/main.css"}});
        if (!styleBlock.isEmpty())
            page.add("STYLE", {{"innerhtml", styleBlock}});
        QCOMPARE(addressesOf(page.done(), &cache), expected);
    }

    void importedSheetReadOncePerPage()
    {
        UrlCache cache;
        cache.store(QStringLiteral("http://h.com/a.css"), "a{background:url(a.gif)}");
        const auto importing = [](const QString& url) {
            Page page(url);
            page.add("STYLE", {{"innerhtml", "@import '/a.css';"}});
            return page;
        };
        const DocumentPtr frame = importing(QStringLiteral("http://h.com/f.htm")).done();
        const DocumentPtr top = importing(QStringLiteral("http://h.com/p.htm")).frame(frame).done();
        QCOMPARE(addressesOf(top, &cache), QStringList{"http://h.com/a.gif"});
    }

    void styleSheetLinks_data()
    {
        QTest::addColumn<Members>("link");
        QTest::addColumn<bool>("listed");
        const char* href = "http://h.com/s.css";
        QTest::newRow("text/css") << Members{{"type", "text/css"}, {"href", href}} << true;
        QTest::newRow("TEXT/CSS in spaces") << Members{{"type", " TEXT/CSS "}, {"href", href}} << true;
        QTest::newRow("rel only") << Members{{"rel", "stylesheet"}, {"href", href}} << true;
        QTest::newRow("rel among words") << Members{{"rel", "Alternate\tStyleSheet"}, {"href", href}} << true;
        QTest::newRow("rel inside a word") << Members{{"rel", "stylesheets"}, {"href", href}} << false;
        QTest::newRow("rel icon") << Members{{"rel", "icon"}, {"href", href}} << false;
        QTest::newRow("other type") << Members{{"type", "text/plain"}, {"rel", "stylesheet"}, {"href", href}} << false;
        QTest::newRow("empty href") << Members{{"type", "text/css"}, {"href", " "}} << false;
    }
    void styleSheetLinks()
    {
        QFETCH(Members, link);
        QFETCH(bool, listed);
        Page page(QStringLiteral("http://h.com/p.htm"));
        page.data.elements.append(QStringLiteral("LINK"), link);
        QCOMPARE(getStyleSheetLinks(*page.done()), listed ? QStringList{"http://h.com/s.css"} : QStringList{});
    }

    // A sheet is scanned once however many pages link or import it, and again only when
    // the cache is given new bytes for it.
    void sheetScannedOnce_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("storedAgain"); // before the last page
        QTest::addColumn<QStringList>("pictures"); // of the last page
        QTest::addColumn<quint64>("scans");
        const QStringList old{"http://h.com/a.gif", "http://h.com/set.png", "http://h.com/i.gif"};
        QTest::newRow("one page") << 1 << false << old << quint64(2);
        QTest::newRow("three pages") << 3 << false << old << quint64(2);
        QTest::newRow("sheet stored again") << 2 << true
            << QStringList{"http://h.com/new.gif", "http://h.com/i.gif"} << quint64(3);
    }
    void sheetScannedOnce()
    {
        QFETCH(int, pages);
        QFETCH(bool, storedAgain);
        QFETCH(QStringList, pictures);
        QFETCH(quint64, scans);
        UrlCache cache;
        const QString sheet = QStringLiteral("http://h.com/s.css");
        cache.store(sheet, "@import 'i.css'; a{background:url(a.gif); b: image-set(\"set.png\" 1x)}");
        cache.store(QStringLiteral("http://h.com/i.css"), "a{background:url(i.gif)}");
        QStringList found;
        for (int n = 1; n <= pages; ++n) {
            if (n == pages && storedAgain)
                cache.store(sheet, "@import 'i.css'; a{background:url(new.gif)}");
            Page page(QStringLiteral("http://h.com/p%1.htm").arg(n));
            page.add("LINK", {{"rel", "stylesheet"}, {"href", sheet}});
            found = addressesOf(page.done(), &cache);
        }
        QCOMPARE(found, pictures);
        QCOMPARE(cache.sheetScansMade(), scans);
    }

    void cachedSheetText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString chinese = QStringLiteral("背景{x:url(图.gif)}");
        QTest::newRow("utf-8") << chinese.toUtf8() << chinese;
        QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + chinese.toUtf8() << chinese;
        QStringEncoder toUtf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QTest::newRow("utf-16 with mark") << QByteArray(toUtf16(chinese)) << chinese;
    }
    void cachedSheetText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeCachedText(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestDocumentWalk)
#include "test_document_walk.moc"
