#include "app/ordered_work.h"
#include "app/search_session.h"
#include "fake_browser.h"

#include <QSemaphore>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

namespace {

// A piece of work whose result is applied in slices.
struct Sliced {
    int piece = 0;
    int slicesLeft = 1;
};

// A page of pictures and links, all of www.h.com.
DocumentPtr pageOf(int pictures, int links)
{
    DocumentData data;
    data.url = QStringLiteral("http://www.h.com/p.htm");
    data.location = data.url;
    for (int n = 0; n < pictures; ++n)
        data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), QStringLiteral("http://www.h.com/i/%1.gif").arg(n)}});
    for (int n = 0; n < links; ++n)
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), QStringLiteral("http://www.h.com/l%1.htm").arg(n)}}));
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

class TestOrderedWork : public QObject {
    Q_OBJECT

private slots:
    // Piece n waits until piece n + 1 has finished, so the pieces finish last to first;
    // they are applied first to last all the same, each slice of one before the next piece.
    void appliedInOrderAdded_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("slices");
        QTest::addColumn<int>("appliedWhileAdding"); // slices
        QTest::newRow("no worker threads") << 0 << 3 << 1 << 3;
        QTest::newRow("no worker threads, in slices") << 0 << 3 << 3 << 1;
        QTest::newRow("no worker threads, one piece in slices") << 0 << 1 << 3 << 1;
        QTest::newRow("one piece") << 1 << 1 << 1 << 0;
        QTest::newRow("two pieces, finished backwards") << 2 << 2 << 1 << 0;
        QTest::newRow("four pieces, finished backwards") << 4 << 4 << 1 << 0;
        QTest::newRow("four pieces in slices, finished backwards") << 4 << 4 << 3 << 0;
    }
    void appliedInOrderAdded()
    {
        QFETCH(int, threads);
        QFETCH(int, pieces);
        QFETCH(int, slices);
        QFETCH(int, appliedWhileAdding);
        std::optional<WorkerThreads> workers;
        if (threads > 0)
            workers.emplace(threads);
        std::vector<std::unique_ptr<QSemaphore>> finished;
        for (int n = 0; n <= pieces; ++n)
            finished.push_back(std::make_unique<QSemaphore>());
        finished.at(pieces)->release(); // nothing comes after the last piece
        QList<int> applied;
        qsizetype appliedAtOnce = -1;
        bool emptyAfterAdding = false;
        {
            OrderedWork<Sliced> work(workers ? &*workers : nullptr, [&](Sliced& result) {
                applied.append(result.piece);
                return --result.slicesLeft == 0;
            });
            for (int n = 0; n < pieces; ++n) {
                QSemaphore* next = finished.at(n + 1).get();
                QSemaphore* own = finished.at(n).get();
                // Without threads a piece runs at once, so it cannot wait for the next.
                work.add([n, next, own, threads, slices] {
                    if (threads > 0)
                        next->tryAcquire(1, 10'000);
                    own->release();
                    return Sliced{n, slices};
                });
            }
            appliedAtOnce = applied.size();
            emptyAfterAdding = work.isEmpty();
            QTRY_VERIFY_WITH_TIMEOUT(work.isEmpty(), 10'000);
        }
        QCOMPARE(appliedAtOnce, appliedWhileAdding);
        // Not empty while a result is partly applied.
        QCOMPARE(emptyAfterAdding, appliedWhileAdding == pieces * slices);
        QList<int> expected;
        for (int n = 0; n < pieces; ++n)
            expected += QList<int>(slices, n);
        QCOMPARE(applied, expected);
    }

    // A completed page too large for one turn goes into the tables over several turns; the
    // search is never idle before the last of it is in and the page's row is marked.
    void pageAppliedWhollyBeforeIdle_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("links");
        const int many = 2 * kReadingPerTurn + 1;
        QTest::newRow("many pictures") << 0 << many << 0;
        QTest::newRow("many pictures, worker threads") << 2 << many << 0;
        QTest::newRow("many links after the pictures") << 0 << 10 << many;
        QTest::newRow("many links, worker threads") << 2 << 10 << many;
    }
    void pageAppliedWhollyBeforeIdle()
    {
        QFETCH(int, threads);
        QFETCH(int, pictures);
        QFETCH(int, links);
        std::optional<WorkerThreads> workers;
        if (threads > 0)
            workers.emplace(threads);
        SteadyClock clock;
        FakeBrowser browser;
        SearchPace pace;
        pace.intervalMs = 0;
        pace.holdSeconds = 0;
        SearchSession session({&browser}, clock, nullptr, pace, workers ? &*workers : nullptr);
        session.setCrawlLimits({std::nullopt, 0}); // the links are read, not followed
        int idleTooEarly = 0;
        connect(&session, &SearchSession::timerWorkDone, this, [&] {
            if (session.isIdle() && (session.pictureTable().size() < pictures
                                     || session.pageTable().row(1).status != PageStatus::Done))
                ++idleTooEarly;
        });
        session.startSearch(QStringLiteral("http://www.h.com/p.htm"));
        QTRY_VERIFY_WITH_TIMEOUT(browser.location == QLatin1String("http://www.h.com/p.htm"), 5'000);
        browser.complete(pageOf(pictures, links));
        QTRY_VERIFY_WITH_TIMEOUT(session.isIdle(), 10'000);
        QCOMPARE(idleTooEarly, 0);
        QCOMPARE(session.pictureTable().size(), pictures);
        QCOMPARE(session.pageTable().row(1).status, PageStatus::Done);
    }
};

QTEST_GUILESS_MAIN(TestOrderedWork)
#include "test_ordered_work.moc"
