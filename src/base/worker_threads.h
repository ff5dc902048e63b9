#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

// The threads that parse pages and read their documents away from the event loop. The
// program that runs a search makes one and hands it to its engine and its session; whatever
// is given none does that work on the event loop's thread, at once.
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
        return QtConcurrent::run(&m_pool, std::forward<Work>(work));
    }
    QThreadPool& pool() { return m_pool; }

private:
    QThreadPool m_pool;
};
