#include "base/worker_threads.h"

#include <QSemaphore>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace {

int niceOfThisThread()
{
    return getpriority(PRIO_PROCESS, id_t(gettid()));
}

} // namespace

class TestWorkerThreads : public QObject {
    Q_OBJECT

private slots:
    // The worker thread is lowered, once for all the kinds of work it runs. Work that a waiting thread takes over while the
    // worker is busy, as a future's result() does, leaves the waiting thread as it was: that
    // may be the event loop's.
    void workersRunBelowTheThreadThatStartsThem()
    {
        WorkerThreads workers(1);
        const int caller = niceOfThisThread();
        const int lowered = std::min(caller + WorkerThreads::kWorkerNiceness, 19);
        QSemaphore started;
        QSemaphore release;
        QFuture<int> busy = workers.run([&] {
            started.release();
            release.acquire();
            return niceOfThisThread();
        });
        QVERIFY(started.tryAcquire(1, 10'000));
        const int takenOver = workers.run([offset = 0] { return niceOfThisThread() + offset; }).result();
        QFuture<int> queued = workers.run([offset = 0L] { return niceOfThisThread() + int(offset); });
        release.release();
        QVERIFY(workers.pool().waitForDone(10'000)); // no taking over
        QCOMPARE(busy.result(), lowered);
        QCOMPARE(queued.result(), lowered);
        QCOMPARE(takenOver, caller);
        QCOMPARE(niceOfThisThread(), caller);
    }
};

QTEST_GUILESS_MAIN(TestWorkerThreads)
#include "test_worker_threads.moc"
