// Pages parsed on a worker thread: a page still being parsed when its browser moves on is
// dropped, and the browser shows only where it went.

#include "base/worker_threads.h"
#include "net_test_support.h"

#include <QSemaphore>
#include <QTest>

class TestNetEngineWorkers : public QObject {
    Q_OBJECT

    WorkerThreads workers{1};
    NetFixture f{PageLoad::kPictureGraceMs, &workers};

private slots:
    void initTestCase() { QVERIFY(f.site.listen()); }

    void parseInFlight_data()
    {
        QTest::addColumn<QString>("then"); // where the browser goes while the page is parsed
        QTest::addColumn<QString>("title"); // of the document shown at the end
        QTest::newRow("left alone") << QString() << "Pictures";
        QTest::newRow("reset to blank") << "about:blank" << "";
        QTest::newRow("sent to another page") << "/frames.htm" << "Frames";
    }
    void parseInFlight()
    {
        QFETCH(QString, then);
        QFETCH(QString, title);
        // The one worker is kept busy, so the page's parse waits behind it.
        QSemaphore release;
        workers.pool().start([&release] { release.tryAcquire(1, 20'000); });
        QSignalSpy progress(f.browser.get(), &Browser::progressChange);
        QSignalSpy complete(f.browser.get(), &Browser::documentComplete);
        const QString page = f.site.url(QStringLiteral("/pictures.htm"));
        f.browser->navigate(page);
        // The document is in once the progress counts it done.
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toInt() >= 1, 10'000);
        QVERIFY(complete.isEmpty());
        if (!then.isEmpty())
            f.browser->navigate(then.startsWith(u'/') ? f.site.url(then) : then);
        release.release();
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15'000);
        QVERIFY(workers.pool().waitForDone(10'000));
        QTest::qWait(50); // a late result would be handed back by now; none may come
        QCOMPARE(complete.size(), 1);
        QVERIFY(f.browser->document());
        QCOMPARE(f.browser->document()->title(), title);
    }
};

QTEST_GUILESS_MAIN(TestNetEngineWorkers)
#include "test_net_engine_workers.moc"
