#include "app/ordered_work.h"

#include <QSemaphore>
#include <QTest>

#include <memory>
#include <vector>

class TestOrderedWork : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setWorkerThreads(0); }

    // Piece n waits until piece n + 1 has finished, so the pieces finish last to first;
    // they are applied first to last all the same.
    void appliedInOrderAdded_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("pieces");
        QTest::newRow("no worker threads") << 0 << 3;
        QTest::newRow("one piece") << 1 << 1;
        QTest::newRow("two pieces, finished backwards") << 2 << 2;
        QTest::newRow("four pieces, finished backwards") << 4 << 4;
    }
    void appliedInOrderAdded()
    {
        QFETCH(int, threads);
        QFETCH(int, pieces);
        setWorkerThreads(threads);
        std::vector<std::unique_ptr<QSemaphore>> finished;
        for (int n = 0; n <= pieces; ++n)
            finished.push_back(std::make_unique<QSemaphore>());
        finished.at(pieces)->release(); // nothing comes after the last piece
        QList<int> applied;
        bool appliedWhileAdding = false;
        {
            OrderedWork<int> work([&applied](int& n) { applied.append(n); });
            for (int n = 0; n < pieces; ++n) {
                QSemaphore* next = finished.at(n + 1).get();
                QSemaphore* own = finished.at(n).get();
                // Without threads a piece runs at once, so it cannot wait for the next.
                work.add([n, next, own, threads] {
                    if (threads > 0)
                        next->tryAcquire(1, 10'000);
                    own->release();
                    return n;
                });
            }
            appliedWhileAdding = applied.size() == pieces;
            QTRY_VERIFY_WITH_TIMEOUT(work.isEmpty(), 10'000);
        }
        QCOMPARE(appliedWhileAdding, threads == 0);
        QList<int> expected;
        for (int n = 0; n < pieces; ++n)
            expected.append(n);
        QCOMPARE(applied, expected);
    }
};

QTEST_GUILESS_MAIN(TestOrderedWork)
#include "test_ordered_work.moc"
