// The Chromium engine's guard: pages raise every kind of dialog and pop-up and ask for every
// permission, and nothing shows, blocks or opens; a page that never settles still completes.

#include "chromium_test_support.h"
#include "engine_snapshot_table.h"
#include "hostile_page_table.h"

#include "platform/chromium/chromium_browser.h"
#include "platform/chromium/renderer_memory.h"
#include "platform/chromium/snapshot_script.h"
#include "platform/html/html_snapshot.h"
#include "site/hostile_site.h"

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

class TestChromiumEngineGuard : public QObject {
    Q_OBJECT

private:
    ChromiumFixture f;
    EngineSnapshotProbe pages{*f.browser, f.site, 30'000};

private slots:
    void initTestCase()
    {
        f.site.addHostileRoutes();
        QVERIFY(f.listen());
    }

    void answers_data()
    {
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        // Had a dialog blocked, the page would not have written its answers.
        QTest::newRow("dialogs answered at once") << "BODY[0].data-dialogs" << "false,";
        QTest::newRow("permissions denied") << "BODY[0].data-permissions"
                                            << "camera:denied geolocation:denied notification:denied";
        QTest::newRow("the page is still the page") << "title" << "Dialogs";
    }
    void answers()
    {
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QCOMPARE(pages.answer(QStringLiteral("/js/dialogs.htm"), probe), expected);
    }

    // Neither window.open nor a click on a target=_blank link loads the pop-up.
    void popUpsRefused() { QCOMPARE(f.site.hits(QStringLiteral("/js/popup.htm")), 0); }

    // The page asks to stay when it is left; it is left all the same.
    void leavingIsNotHeldUp()
    {
        QVERIFY(loadPage(*f.browser, f.site.url("/js/dialogs.htm"), 30'000));
        const DocumentPtr next = loadPage(*f.browser, f.site.url("/links.htm"), 30'000);
        QVERIFY(next);
        QCOMPARE(next->title(), QStringLiteral("Links"));
    }

    void restlessPageCompletesWithinItsBudget()
    {
        const SettleBudget budget = testBudget();
        QElapsedTimer clock;
        clock.start();
        const DocumentPtr document = loadPage(*f.browser, f.site.url("/js/restless.htm"), 30'000);
        QVERIFY(document);
        QVERIFY(clock.elapsed() < budget.loadMs + budget.scrollMs + budget.quietLimitMs);
        QVERIFY(!f.browser->navigationFailed());
        // It was scrolled, and grew each time.
        QVERIFY(document->getElementsByTagName(QStringLiteral("DIV")).size() > 3);
    }

    // Pages that never finish, or are too big to read whole, are stopped and read all the
    // same, inside the page time-out.
    void cutPagesAreRead_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("rendererBytes");
        QTest::addColumn<int>("pictures");  // IMG elements read
        QTest::addColumn<int>("elements");  // of all documents, at most; -1: not counted
        QTest::addColumn<int>("documents"); // at most
        const qint64 unbounded = SettleBudget{}.rendererBytes;
        QTest::newRow("a picture that trickles beside six")
            << "/hostile/six_and_trickle.htm" << unbounded << 2 + kSixPictures << -1 << 1;
        QTest::newRow("250,000 elements") << "/hostile/breaks.htm" << unbounded << 1 << int(kMaxElements) << 1;
        QTest::newRow("frames in frames") << "/hostile/fanout.htm?n=0" << unbounded << 1 << -1 << kMaxSnapshotDocuments;
        QTest::newRow("renderer over its memory bound") << "/hostile/six_and_trickle.htm" << qint64(1) << -1 << -1 << 1;
    }
    void cutPagesAreRead()
    {
        QFETCH(QString, path);
        QFETCH(qint64, rendererBytes);
        QFETCH(int, pictures);
        QFETCH(int, elements);
        QFETCH(int, documents);
        SettleBudget budget = testBudget();
        budget.stallMs = 1'000;
        budget.rendererBytes = rendererBytes;
        budget.pageMs = 30'000;
        UrlCache cache;
        ChromiumEngine engine(&cache, budget);
        const std::unique_ptr<Browser> browser(engine.createBrowser(nullptr));
        QSignalSpy status(browser.get(), &Browser::statusTextChange);
        QElapsedTimer clock;
        clock.start();
        const DocumentPtr document = loadPage(*browser, f.site.url(path), budget.pageMs);
        QVERIFY(document);
        QVERIFY(!browser->navigationFailed());
        QVERIFY(clock.elapsed() < budget.usableMs());
        // The good parts stand first in every page.
        const QList<Element> images = document->getElementsByTagName(QStringLiteral("IMG"));
        QVERIFY(!images.isEmpty());
        QCOMPARE(images.first().src().value_or(QString()), f.site.url(QStringLiteral("/img/logo.gif")));
        QCOMPARE(document->links().size() >= 1, true);
        if (pictures >= 0)
            QCOMPARE(images.size(), pictures);
        // At most the cap: a slow build (the sanitizers') may end the read by its time first.
        if (elements >= 0)
            QVERIFY2(document->allElements().size() <= elements, qPrintable(QString::number(document->allElements().size())));
        QVERIFY(documentCount(document) <= documents);
        if (QByteArray(QTest::currentDataTag()) == "a picture that trickles beside six") {
            // What the browser measured: the bytes received and the size shown.
            const QString third = f.site.url(QStringLiteral("/hostile/six3.gif"));
            QCOMPARE(cache.dimensions(third), std::optional<QSize>(QSize(30, 15)));
            QCOMPARE(cache.byteSize(third), std::optional<qint64>(1300));
        }
        const bool cut = status.last().at(0).toString() != QStringLiteral("完成");
        QCOMPARE(cut, QByteArray(QTest::currentDataTag()) != "a picture that trickles beside six");
    }

    // The hostile server's pages, as the net engine meets them. A renderer kept busy past its
    // budget or swollen past its bound is ended and the page read from its bytes, good parts
    // and all; a snapshot that stops at the element cap has its rest read from the bytes; the
    // slot goes on to the next page.
    void hostilePages_data() { addHostilePageRows(); }
    void hostilePages()
    {
        QFETCH(QString, path);
        QFETCH(bool, failed);
        QFETCH(QString, tag);
        QFETCH(int, maxElements);
        const DocumentPtr document = loadPage(*f.browser, f.site.url(path), 60'000);
        QVERIFY(document);
        QCOMPARE(f.browser->navigationFailed(), failed);
        if (failed)
            return;
        QVERIFY(goodPicture(document, f.site.url("/img/logo.gif")));
        QVERIFY(hasLink(document, f.site.url("/pictures.htm")));
        // The snapshot stops at its cap, the bytes read at theirs.
        qsizetype elements = 0;
        for (const DocumentPtr& part : pageParts(document))
            elements += part->getElementsByTagName(tag).size();
        QVERIFY2(elements <= kMaxElements + maxElements, qPrintable(QString::number(elements)));
        const DocumentPtr next = loadPage(*f.browser, f.site.url("/links.htm"), 30'000);
        QVERIFY(next);
        QCOMPARE(next->title(), QStringLiteral("Links"));
    }

    // A renderer that ends while its page loads (killed here as the memory bound kills one):
    // the page is read from its bytes, and says it was read in part.
    void endedRendererLeavesThePageToItsBytes()
    {
        const auto* view = qobject_cast<QWebEngineView*>(static_cast<ChromiumBrowser*>(f.browser.get())->view());
        QVERIFY(view);
        QSignalSpy started(view->page(), &QWebEnginePage::loadStarted);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        QSignalSpy status(f.browser.get(), &Browser::statusTextChange);
        const QString address = f.site.url(QStringLiteral("/hostile/six_and_trickle.htm"));
        f.browser->navigate(address);
        QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty() && view->page()->url() == QUrl(address), 10'000);
        QTRY_VERIFY_WITH_TIMEOUT(view->page()->renderProcessPid() > 0, 5'000);
        killProcess(view->page()->renderProcessPid());
        QVERIFY(completed.wait(testBudget().snapshotMs));
        QVERIFY(!f.browser->navigationFailed());
        QCOMPARE(f.browser->document()->getElementsByTagName(QStringLiteral("IMG")).size(), 2 + kSixPictures);
        QVERIFY(hasLink(f.browser->document(), f.site.url("/pictures.htm")));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("完成（页面只读取了一部分）"));
        const DocumentPtr next = loadPage(*f.browser, f.site.url("/links.htm"), 30'000);
        QVERIFY(next);
        QCOMPARE(next->title(), QStringLiteral("Links"));
    }

    // Told to finish while its picture trickles: what has arrived is the page.
    void finishNowReadsWhatHasArrived()
    {
        SettleBudget budget = testBudget();
        budget.stallMs = 60'000;
        UrlCache cache;
        ChromiumEngine engine(&cache, budget);
        const std::unique_ptr<Browser> browser(engine.createBrowser(nullptr));
        QSignalSpy navigated(browser.get(), &Browser::navigateComplete2);
        QSignalSpy completed(browser.get(), &Browser::documentComplete);
        browser->navigate(f.site.url(QStringLiteral("/hostile/six_and_trickle.htm")));
        QTest::qWait(2'000);
        QVERIFY(completed.isEmpty());
        browser->finishNow();
        QVERIFY(completed.isEmpty());
        QVERIFY(completed.wait(budget.snapshotMs + 2'000));
        QVERIFY(!browser->navigationFailed());
        QCOMPARE(browser->document()->getElementsByTagName(QStringLiteral("IMG")).size(), 2 + kSixPictures);
        browser->finishNow(); // done: nothing more comes
        QTest::qWait(200);
        QCOMPARE(completed.size(), 1);
    }

    // A page given up before it completed leaves no "正在打开" behind.
    void givenUpPageLeavesTheStatusBar()
    {
        QSignalSpy status(f.browser.get(), &Browser::statusTextChange);
        f.browser->navigate(f.site.url(QStringLiteral("/hostile/six_and_trickle.htm")));
        QTest::qWait(500);
        QVERIFY(loadPage(*f.browser, QStringLiteral("about:blank"), 5'000));
        QVERIFY(!status.isEmpty());
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("完成"));
    }
};

QUORVANE_CHROMIUM_TEST_MAIN(TestChromiumEngineGuard)
#include "test_chromium_engine_guard.moc"
