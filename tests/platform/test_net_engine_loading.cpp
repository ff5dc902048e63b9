// The net engine's loading of style sheets and pictures into the URL cache, and the end of
// a load when the browser is sent elsewhere.

#include "net_test_support.h"
#include "platform/http/resource_loader.h"
#include "site/canned_site.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTest>

namespace {

TestRoute html(const QString& body)
{
    TestRoute route;
    route.body = body.toUtf8();
    return route;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestNetEngineLoading : public QObject {
    Q_OBJECT

private:
    NetFixture f;
    QString at(const QString& path) const { return f.site.url(path); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.site.listen());
        // Ten pictures that never finish arriving.
        QString slowPage = QStringLiteral("<title>Slow pictures</title>");
        TestRoute slow;
        slow.contentType = "image/gif";
        slow.body = QByteArray(4000, 'x');
        slow.neverFinish = true;
        for (int i = 0; i < 10; ++i) {
            f.site.setRoute(QStringLiteral("/slow/%1.gif").arg(i), slow);
            slowPage += QStringLiteral("<img src=\"%1.gif\">").arg(i);
        }
        f.site.setRoute("/slow/page.htm", html(slowPage));
        f.site.setRoute("/twice/page.htm", html("<img src=\"gone.gif\"><img src=\"gone.gif\"><img src=\"../img/a.gif\">"
                                                "<link rel=stylesheet href=\"gone.css\"><link rel=stylesheet href=\"gone.css\">"));
        f.site.setRoute("/shared/one.htm", html("<img src=\"pic.gif\">"));
        f.site.setRoute("/shared/two.htm", html("<img src=\"pic.gif\">"));
        f.site.setRoute("/shared/pic.gif", TestRoute{200, "image/gif", QByteArray(3000, 'p'), {}, false});
    }

    // Every canned picture arrives in the cache byte for byte, and is a real picture of
    // the size the site announces.
    void cannedPicturesInTheCache_data()
    {
        QTest::addColumn<QString>("path");
        for (const CannedPicture& picture : cannedPictures())
            QTest::newRow(qPrintable(picture.path)) << picture.path;
    }
    void cannedPicturesInTheCache()
    {
        QFETCH(QString, path);
        CannedPicture picture;
        for (const CannedPicture& canned : cannedPictures()) {
            if (canned.path == path)
                picture = canned;
        }
        f.site.setRoute("/show.htm", html(QStringLiteral("<img src=\"%1\">").arg(path)));
        const DocumentPtr document = loadPage(*f.browser, at("/show.htm"));
        QVERIFY(document);
        const Element image = document->getElementsByTagName("IMG").value(0);
        QCOMPARE(image.fileSize(), QString::number(picture.bytes));
        QString local;
        QVERIFY(f.cache.getCacheFileName(at(path), local));
        const QByteArray bytes = fileBytes(local);
        QCOMPARE(bytes, cannedPictureBytes(picture));
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        QCOMPARE(reader.size(), QSize(picture.width, picture.height));
        QVERIFY(!reader.read().isNull());
    }

    // Without downloads to serve, a picture leaves only its size and type in the cache; its
    // style sheets are kept either way, as the page's walk reads them.
    void pictureBytesKeptOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("kept for downloads") << true;
        QTest::newRow("size only") << false;
    }
    void pictureBytesKeptOnlyWhenAsked()
    {
        QFETCH(bool, keep);
        NetFixture fresh;
        QVERIFY(fresh.site.listen());
        fresh.engine.setKeepPictureBytes(keep);
        const CannedPicture picture = cannedPictures().value(0);
        fresh.site.setRoute("/show.htm", html(QStringLiteral("<link rel=stylesheet href=\"/css/site.css\">"
                                                             "<img src=\"%1\">").arg(picture.path)));
        const DocumentPtr document = loadPage(*fresh.browser, fresh.site.url("/show.htm"));
        QVERIFY(document);
        QCOMPARE(document->getElementsByTagName("IMG").value(0).fileSize(), QString::number(picture.bytes));
        const QString address = fresh.site.url(picture.path);
        QCOMPARE(fresh.cache.byteSize(address), std::optional<qint64>(picture.bytes));
        QCOMPARE(fresh.cache.contains(address), keep);
        QVERIFY(!fresh.cache.contentType(address).value_or(QString()).isEmpty());
        QVERIFY(fresh.cache.contains(fresh.site.url("/css/site.css")));
    }

    // Without the bytes, the head of a picture is kept until its dimensions can be read from
    // it: at once for a PNG, and for a JPEG only past an EXIF block longer than the first
    // piece of its body.
    void dimensionsWithoutTheBytes_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("bytes");
        const auto bytes = [](std::initializer_list<int> values) {
            QByteArray out;
            for (const int value : values)
                out.append(char(value));
            return out;
        };
        QTest::newRow("png") << QByteArray("image/png")
                             << bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                       0, 0, 0, 48, 0, 0, 0, 32, 8, 2, 0, 0, 0})
                                    + QByteArray(100'000, '\0');
        QTest::newRow("jpeg, 40 KiB of EXIF first")
            << QByteArray("image/jpeg")
            << bytes({0xFF, 0xD8, 0xFF, 0xE1, 0xA0, 0x02}) + QByteArray(0xA000, 'x')
                   + bytes({0xFF, 0xC0, 0, 0x11, 8, 0, 32, 0, 48, 3}) + QByteArray(100'000, '\0');
    }
    void dimensionsWithoutTheBytes()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, bytes);
        NetFixture fresh;
        QVERIFY(fresh.site.listen());
        fresh.engine.setKeepPictureBytes(false);
        TestRoute picture;
        picture.contentType = type;
        picture.body = bytes;
        fresh.site.setRoute("/picture", picture);
        fresh.site.setRoute("/show.htm", html(QStringLiteral("<img src=\"/picture\">")));
        QVERIFY(loadPage(*fresh.browser, fresh.site.url("/show.htm")));
        const QString address = fresh.site.url("/picture");
        QCOMPARE(fresh.cache.byteSize(address), std::optional<qint64>(bytes.size()));
        QCOMPARE(fresh.cache.dimensions(address), std::optional<QSize>(QSize(48, 32)));
    }

    void styleSheetsInTheCache_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("cached");
        QTest::newRow("type text/css") << "/css/site.css" << true;
        QTest::newRow("rel stylesheet without type") << "/css/extra.css" << true;
        QTest::newRow("rel icon is no sheet") << "/img/icon.gif" << false;
    }
    void styleSheetsInTheCache()
    {
        QFETCH(QString, path);
        QFETCH(bool, cached);
        QVERIFY(loadPage(*f.browser, at("/pictures.htm")));
        QString local;
        QCOMPARE(f.cache.getCacheFileName(at(path), local), cached);
        if (cached) {
            QVERIFY(QFile::exists(local));
            QVERIFY(fileBytes(local).startsWith(path == "/css/site.css" ? "body { background" : ".extra"));
        } else {
            QCOMPARE(f.site.hits(path), 0);
        }
    }

    void cachedResourcesAreNotFetchedAgain()
    {
        QVERIFY(loadPage(*f.browser, at("/pictures.htm")));
        f.site.clearLog();
        QVERIFY(loadPage(*f.browser, at("/pictures.htm")));
        QVERIFY(loadPage(*f.browser, at("/pictures.htm")));
        QCOMPARE(f.site.hits("/pictures.htm"), 2);
        QCOMPARE(f.site.hits("/img/logo.gif"), 0);
        QCOMPARE(f.site.hits("/css/site.css"), 0);
        // What failed is not asked for again during the run.
        QCOMPARE(f.site.hits("/img/missing.gif"), 0);
    }

    // A page of more pictures than are asked for in one turn of the event loop: every one
    // is asked for once, and the page completes with all of them.
    void manyPicturesAllAsked()
    {
        const int total = 2 * PageLoad::kPicturesPerTurn + 1;
        QString page;
        for (int i = 0; i < total; ++i)
            page += QStringLiteral("<img src=\"%1.gif\">").arg(i);
        f.site.setRoute("/many/page.htm", html(page));
        f.site.clearLog();
        const DocumentPtr document = loadPage(*f.browser, at("/many/page.htm"), 60'000);
        QVERIFY(document);
        QCOMPARE(document->getElementsByTagName("IMG").size(), total);
        for (const int i : {0, PageLoad::kPicturesPerTurn - 1, PageLoad::kPicturesPerTurn, total - 1})
            QCOMPARE(f.site.hits(QStringLiteral("/many/%1.gif").arg(i)), 1);
    }

    void failuresAreAskedOnce()
    {
        f.site.clearLog();
        QVERIFY(loadPage(*f.browser, at("/twice/page.htm")));
        const DocumentPtr document = loadPage(*f.browser, at("/twice/page.htm"));
        QVERIFY(document);
        QCOMPARE(f.site.hits("/twice/page.htm"), 2);
        QCOMPARE(f.site.hits("/twice/gone.gif"), 1);
        QCOMPARE(f.site.hits("/twice/gone.css"), 1);
        const QList<Element> images = document->getElementsByTagName("IMG");
        QCOMPARE(images.size(), 3);
        QVERIFY(!images.at(0).fileSize() && !images.at(1).fileSize());
        QCOMPARE(images.at(2).fileSize(), QStringLiteral("1024"));
        QString local = QStringLiteral("unchanged");
        QVERIFY(!f.cache.getCacheFileName(at("/twice/gone.gif"), local));
        QCOMPARE(local, QStringLiteral("unchanged"));
    }

    // Two browsers that want the same picture at once share one transfer.
    void sharedPictureLoadsOnce()
    {
        std::unique_ptr<Browser> second(f.engine.createBrowser(nullptr));
        QSignalSpy firstDone(f.browser.get(), &Browser::documentComplete);
        QSignalSpy secondDone(second.get(), &Browser::documentComplete);
        f.browser->navigate(at("/shared/one.htm"));
        second->navigate(at("/shared/two.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(firstDone.size() == 1 && secondDone.size() == 1, 15'000);
        QCOMPARE(f.site.hits("/shared/pic.gif"), 1);
        for (Browser* browser : {f.browser.get(), second.get()})
            QCOMPARE(browser->document()->getElementsByTagName("IMG").value(0).fileSize(), QStringLiteral("3000"));
    }

    // A few pictures at a time; a reset ends the load and asks for nothing more.
    void resetStopsTheLoad()
    {
        f.site.clearLog();
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(at("/slow/page.htm"));
        auto pictureRequests = [this] {
            int count = 0;
            for (int i = 0; i < 10; ++i)
                count += f.site.hits(QStringLiteral("/slow/%1.gif").arg(i));
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(pictureRequests(), 4, 10'000);
        QTest::qWait(200);
        QCOMPARE(pictureRequests(), 4);
        QVERIFY(completed.isEmpty());

        f.browser->navigate(QStringLiteral("about:blank"));
        QVERIFY(completed.wait(5000));
        QCOMPARE(completed.at(0).at(0).toString(), QStringLiteral("about:blank"));
        QTest::qWait(300);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(pictureRequests(), 4);
        QCOMPARE(f.browser->document()->URL(), QStringLiteral("about:blank"));
    }

    void resetStopsAPageThatNeverEnds()
    {
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(at("/never.htm"));
        // The headers arrive; the body never does.
        QVERIFY(navigated.wait(10'000));
        QTest::qWait(200);
        QVERIFY(completed.isEmpty());
        f.browser->navigate(QStringLiteral("about:blank"));
        QVERIFY(completed.wait(5000));
        QTest::qWait(200);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.at(0).at(0).toString(), QStringLiteral("about:blank"));
        QVERIFY(!f.browser->navigationFailed());
    }

    // The one place that decides whether a resource is fetched.
    void admission_data()
    {
        using Admission = ResourceLoader::Admission;
        using Kind = ResourceLoader::Kind;
        QTest::addColumn<QString>("path");
        QTest::addColumn<ResourceLoader::Kind>("kind");
        QTest::addColumn<ResourceLoader::Admission>("admission");

        QTest::newRow("picture never seen") << "/img/a.gif" << Kind::Picture << Admission::Fetch;
        QTest::newRow("picture whose size is known") << "/sized.gif" << Kind::Picture << Admission::AlreadyCached;
        QTest::newRow("sheet whose bytes are gone") << "/sized.gif" << Kind::StyleSheet << Admission::Fetch;
        QTest::newRow("sheet held") << "/held.css" << Kind::StyleSheet << Admission::AlreadyCached;
        QTest::newRow("picture that failed") << "/img/missing.gif" << Kind::Picture << Admission::AlreadyFailed;
        QTest::newRow("picture on its way") << "/slow/0.gif" << Kind::Picture << Admission::JoinTransfer;
        QTest::newRow("no web address") << "mailto:a@b.c" << Kind::Picture << Admission::NotWebAddress;
    }
    void admission()
    {
        QFETCH(QString, path);
        QFETCH(ResourceLoader::Kind, kind);
        QFETCH(ResourceLoader::Admission, admission);
        UrlCache cache;
        cache.storeSize(at("/sized.gif"), 100);
        cache.store(at("/held.css"), "a{}");
        ResourceLoader loader(f.engine.session(), &cache);
        QStringList done;
        const quint64 page = loader.open([&done](const QString& address, bool) { done.append(address); });
        loader.request(page, at("/img/missing.gif"), ResourceLoader::Kind::Picture);
        loader.request(page, at("/slow/0.gif"), ResourceLoader::Kind::Picture);
        QTRY_VERIFY_WITH_TIMEOUT(done.contains(at("/img/missing.gif")), 10'000);
        const QString address = path.startsWith(QLatin1Char('/')) ? at(path) : path;
        QCOMPARE(loader.admit(address, kind), admission);
    }

    void redirectLoopEndsAfterTwentySteps()
    {
        f.site.clearLog();
        QVERIFY(loadPage(*f.browser, at("/loop.htm")));
        QVERIFY(f.browser->navigationFailed());
        QCOMPARE(f.site.hits("/loop.htm") + f.site.hits("/loop_back.htm"), 21);
    }
};

QTEST_GUILESS_MAIN(TestNetEngineLoading)
#include "test_net_engine_loading.moc"
