// The Chromium engine against the loopback site: the snapshot table every engine meets, and
// pages that build themselves with scripts.

#include "chromium_test_support.h"
#include "engine_snapshot_table.h"

#include <QElapsedTimer>

class TestChromiumEnginePages : public QObject {
    Q_OBJECT

private:
    ChromiumFixture f;
    EngineSnapshotProbe probe{*f.browser, f.site, 30'000};

private slots:
    void initTestCase() { QVERIFY(f.listen()); }

    void snapshot_data() { addEngineSnapshotRows(); }
    void snapshot() { probe.checkRow(); }

    // What only a browser that runs scripts finds; the same probes as above.
    void scriptPages_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* path, const char* probe, const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(path) << QString::fromLatin1(probe)
                                << QString::fromLatin1(expected);
        };
        row("createElement", "/js/create.htm", "IMG[0].src", "@/img/logo.gif");
        row("createElement size", "/js/create.htm", "IMG[0].filesize", "2048");
        row("innerHTML", "/js/inner.htm", "IMG[0].src", "@/img/photo.png");
        row("innerHTML markup", "/js/inner.htm", "DIV[0].innerhtml", "<img src=\"../img/photo.png\" alt=\"photo\">");
        row("from JSON, first", "/js/json.htm", "IMG[0].src", "@/img/a.gif");
        row("from JSON, second", "/js/json.htm", "IMG[1].src", "@/img/nested.gif");
        row("lazy picture swapped on scroll", "/js/lazy.htm", "IMG[0].src", "@/img/anim.gif");
        row("lazy attribute kept raw", "/js/lazy.htm", "IMG[0].data-src", "/img/anim.gif");
        row("endless scroll, first screen", "/js/lazy.htm", "IMG[1].src", "@/img/cell.gif?1");
        row("endless scroll, second screen", "/js/lazy.htm", "IMG[2].src", "@/img/cell.gif?2");
        row("endless scroll ends", "/js/lazy.htm", "count img", "3");
        row("menu built by script", "/js/menu.htm", "links", "@/js/menu_one.htm @/js/menu_two.htm");
        row("document.write", "/js/menu_one.htm", "IMG[0].src", "@/img/button.gif");
        row("every attribute raw", "/pictures.htm", "DIV[0].style", "background-image: url('img/inline.gif');");
        row("class attribute", "/js/lazy.htm", "IMG[0].class", "lazy");
        row("script left the page alone", "/js/file_scheme.htm", "title", "Stays");
        row("download refused", "/js/file.bin", "failed", "yes");
    }
    void scriptPages() { probe.checkRow(); }

    // Sheets go into the URL cache from the page itself, without a second request.
    void styleSheetsCached()
    {
        f.site.clearLog();
        QVERIFY(loadPage(*f.browser, f.site.url("/pictures.htm"), 30'000));
        for (const char* sheet : {"/css/site.css", "/css/extra.css"}) {
            QString file;
            QVERIFY2(f.cache.getCacheFileName(f.site.url(sheet), file), sheet);
            QFile text(file);
            QVERIFY(text.open(QIODevice::ReadOnly));
            QVERIFY(text.readAll().contains("url("));
            QCOMPARE(f.site.hits(sheet), 1);
        }
    }

    // A sheet the browser refused for its type is read from its bytes; one that is missing is
    // asked for once by the browser and once by the engine, not again on the next pages.
    void sheetsTheBrowserFailed()
    {
        f.site.setRoute("/failed/plain.css", htmlRoute(".a { background: url(/img/logo.gif) }", 200, "text/plain"));
        const QByteArray page = "<!DOCTYPE html><html><head><title>Sheets</title><link rel=stylesheet href=plain.css>"
                                "<link rel=stylesheet href=missing.css></head><body>x</body></html>";
        for (const char* path : {"/failed/1.htm", "/failed/2.htm", "/failed/3.htm"}) {
            f.site.setRoute(path, htmlRoute(page));
            QVERIFY(loadPage(*f.browser, f.site.url(path), 30'000));
        }
        QVERIFY(f.cache.bytes(f.site.url("/failed/plain.css")).value_or(QByteArray()).contains("url("));
        QCOMPARE(f.site.hits("/failed/missing.css"), 2);
    }

    void eventsComeLater()
    {
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        QSignalSpy status(f.browser.get(), &Browser::statusTextChange);
        const QString address = f.site.url("/links.htm");
        f.browser->navigate(address);
        QCOMPARE(f.browser->locationURL(), address);
        QVERIFY(navigated.isEmpty() && completed.isEmpty() && status.isEmpty());
        QVERIFY(completed.wait(30'000));
        QCOMPARE(navigated.size(), 1);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("完成"));
    }

    // A navigation started while another loads: nothing of the first reaches the caller.
    void newNavigationReplacesTheOld()
    {
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(f.site.url("/pictures.htm"));
        f.browser->navigate(f.site.url("/frames.htm"));
        QVERIFY(completed.wait(30'000));
        QTest::qWait(300);
        QCOMPARE(completed.size(), 1);
        QCOMPARE(f.browser->document()->title(), QStringLiteral("Frames"));
    }

    void failedNavigations_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("responded");
        QTest::newRow("404") << f.site.url("/missing.htm") << true;
        QTest::newRow("TLS to a plain server") << QStringLiteral("https://127.0.0.1:%1/").arg(f.site.port()) << false;
        QTest::newRow("not a web address") << QStringLiteral("file:///etc/hostname") << false;
    }
    void failedNavigations()
    {
        QFETCH(QString, address);
        QFETCH(bool, responded);
        QSignalSpy navigated(f.browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        const DocumentPtr document = loadPage(*f.browser, address, 30'000);
        QVERIFY(document);
        QVERIFY(f.browser->navigationFailed());
        QCOMPARE(completed.size(), 1);
        QCOMPARE(navigated.size(), responded ? 1 : 0);
        QVERIFY(document->title().isEmpty());
        QVERIFY(document->getElementsByTagName(QStringLiteral("IMG")).isEmpty());
    }
};

QUORVANE_CHROMIUM_TEST_MAIN(TestChromiumEnginePages)
#include "test_chromium_engine_pages.moc"
