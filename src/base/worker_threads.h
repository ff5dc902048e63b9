#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

// The threads that parse pages and read their documents away from the event loop. The
// program that runs a search makes one and hands it to its engine and its session; whatever
// is given none does that work on the event loop's thread, at once.
// They run below the event loop's priority: that thread starts the fetches that keep every
// worker fed and answers the window, so a core goes to it as soon as it has work, and the
// workers take the rest.
class WorkerThreads {
public:
    explicit WorkerThreads(int count) { m_pool.setMaxThreadCount(qMax(1, count)); }
    // Waits for the work in flight.
    ~WorkerThreads() { m_pool.waitForDone(); }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // One a core: what a search uses unless told otherwise.
    static int defaultCount();

    // Runs work on a worker thread. It must touch only what no other thread changes
    // meanwhile: copies, immutable documents, the URL cache.
    template <typename Work>
    auto run(Work&& work)
    {
        return QtConcurrent::run(&m_pool, [this, work = std::forward<Work>(work)]() mutable {
            yieldToEventLoop();
            return work();
        });
    }
    QThreadPool& pool() { return m_pool; }

    // How much nicer a worker thread is than the program: about a tenth of the event loop's
    // share of a core they both want.
    static constexpr int kWorkerNiceness = 10;

private:
    // Lowers the calling thread's priority by kWorkerNiceness, the first time it is called
    // on that thread, if it is one of the pool's. A thread that waits for work not yet begun
    // runs it itself, and that may be the event loop's.
    void yieldToEventLoop() const;

    QThreadPool m_pool;
};
