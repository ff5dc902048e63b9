#include "base/worker_threads.h"

#include <QSemaphore>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

static int niceOfThisThread()
{
    return getpriority(PRIO_PROCESS, id_t(gettid()));
}

class TestWorkerThreads : public QObject {
    Q_OBJECT

private slots:
    // The worker is lowered once, whatever kinds of work it runs; work that a waiting thread
    // takes over (a future's result()) leaves that thread, maybe the event loop's, as it was.
    void workersRunBelowTheThreadThatStartsThem()
    {
        WorkerThreads workers(1);
        const int caller = niceOfThisThread();
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
        QCOMPARE(busy.result(), qMin(caller + WorkerThreads::kWorkerNiceness, 19));
        QCOMPARE(queued.result(), busy.result());
        QCOMPARE(takenOver, caller);
    }
};

QTEST_GUILESS_MAIN(TestWorkerThreads)
#include "test_worker_threads.moc"
