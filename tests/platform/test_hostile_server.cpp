// A server that misbehaves on purpose: each fault costs a bounded amount, and the normal
// picture and link of its page survive it.

#include "app/bounded_headless_run.h"
#include "hostile_page_table.h"
#include "links/harvest_rules.h"
#include "net_test_support.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/light_pass.h"
#include "platform/html/nesting_guard.h"
#include "platform/net/page_load.h"
#include "site/hostile_site.h"

#include <QTest>

namespace {

constexpr int kGraceMs = 1000;

} // namespace

class TestHostileServer : public QObject {
    Q_OBJECT

private:
    NetFixture f{kGraceMs};

private slots:
    void initTestCase()
    {
        QVERIFY(f.site.listen());
        f.site.addHostileRoutes();
    }

    void faults_data() { addHostilePageRows(); }
    void faults()
    {
        QFETCH(QString, path);
        QFETCH(bool, failed);
        QFETCH(QString, tag);
        QFETCH(int, maxElements);
        QFETCH(int, maxRequests);

        f.site.clearLog();
        const DocumentPtr document = loadPage(*f.browser, f.site.url(path), 60'000);
        QVERIFY(document);
        QCOMPARE(f.browser->navigationFailed(), failed);
        QTRY_COMPARE_WITH_TIMEOUT(f.site.openStreams(), 0, 5000);
        QVERIFY2(f.site.requestLog().size() <= maxRequests, qPrintable(f.site.requestLog().join(QLatin1Char('\n'))));
        if (failed)
            return;

        const std::optional<Element> good = goodPicture(document, f.site.url("/img/logo.gif"));
        QVERIFY(good);
        QCOMPARE(good->fileSize(), QStringLiteral("2048"));
        // A picture that never finished has no size; the page is there all the same.
        for (const Element& image : document->getElementsByTagName(QStringLiteral("IMG"))) {
            if (image.src() != good->src())
                QCOMPARE(image.fileSize(), std::nullopt);
        }
        QVERIFY(hasLink(document, f.site.url("/pictures.htm")));

        const int elements = int(document->getElementsByTagName(tag).size());
        QVERIFY2(elements <= maxElements, qPrintable(QString::number(elements)));
        QVERIFY(elements > 0);
        QVERIFY(documentCount(document) <= PageLoad::kMaxDocuments);
    }

    // Out of time, a page completes at once with what has arrived, long before the pictures'
    // grace would end it; its good parts are there.
    void finishNow_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("a picture that never ends") << "/hostile/trickle.htm";
        QTest::newRow("a document that trickles past the time-out") << "/hostile/trickle_doc.htm";
    }
    void finishNow()
    {
        QFETCH(QString, path);
        f.engine.setPictureGraceMs(PageLoad::kPictureGraceMs);
        const std::unique_ptr<Browser> browser(f.engine.createBrowser(nullptr));
        f.engine.setPictureGraceMs(kGraceMs);
        QSignalSpy completed(browser.get(), &Browser::documentComplete);
        QSignalSpy status(browser.get(), &Browser::statusTextChange);
        browser->navigate(f.site.url(path));
        QTest::qWait(1500); // the good parts arrive; the rest never does
        QCOMPARE(completed.size(), 0);
        browser->finishNow();
        QVERIFY(completed.wait(5000));
        QVERIFY(!browser->navigationFailed());
        const std::optional<Element> good = goodPicture(browser->document(), f.site.url("/img/logo.gif"));
        QVERIFY(good);
        QCOMPARE(good->fileSize(), QStringLiteral("2048")); // loaded, or in the cache already
        QVERIFY(hasLink(browser->document(), f.site.url("/pictures.htm")));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("完成"));
        QTRY_COMPARE_WITH_TIMEOUT(f.site.openStreams(), 0, 5000);
    }

    // A crawl of query pages ends by itself, and an ordinary listing is crawled whole.
    void queryPages_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("minPages");
        QTest::addColumn<int>("maxPages");

        QTest::newRow("each page links the next under a new query")
            << "/hostile/chain.htm?n=1" << QueryPages::kMaxChain << QueryPages::kMaxChain + 2;
        QTest::newRow("listing of 300 pages") << "/hostile/list.htm?page=1" << kListingPages << kListingPages;
    }
    void queryPages()
    {
        QFETCH(QString, start);
        QFETCH(int, minPages);
        QFETCH(int, maxPages);
        f.site.clearLog();
        QString out;
        QString err;
        const QStringList pace{"--interval", "0", "--hold", "0", "--timeout", "5", "--slots", "6"};
        QCOMPARE(runHeadlessBounded(pace + QStringList{f.site.url(start)}, out, err), 0);
        const QString path = start.section(QLatin1Char('?'), 0, 0);
        const qsizetype pages = f.site.requestLog().filter(QLatin1Char(' ') + path).size();
        QVERIFY2(pages >= minPages && pages <= maxPages, qPrintable(QString::number(pages)));
    }

    // Sent elsewhere, a load ends every request it made at once.
    void resetEndsEveryRequest()
    {
        TestRoute page;
        page.body = "<img src=\"trickle.gif?again\">";
        f.site.setRoute("/hostile/trickle.htm?again", page);
        TestRoute trickle;
        trickle.contentType = "image/gif";
        trickle.body = QByteArray(100, 'g');
        trickle.fault = TestRoute::Fault::Trickle;
        f.site.setRoute("/hostile/trickle.gif?again", trickle);
        QSignalSpy completed(f.browser.get(), &Browser::documentComplete);
        f.browser->navigate(f.site.url("/hostile/trickle.htm?again"));
        QTRY_COMPARE_WITH_TIMEOUT(f.site.openStreams(), 1, 10'000);
        f.browser->navigate(QStringLiteral("about:blank"));
        QTRY_COMPARE_WITH_TIMEOUT(f.site.openStreams(), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1, 5000);
        QCOMPARE(completed.at(0).at(0).toString(), QStringLiteral("about:blank"));
    }
};

QTEST_GUILESS_MAIN(TestHostileServer)
#include "test_hostile_server.moc"
