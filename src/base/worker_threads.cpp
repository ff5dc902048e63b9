#include "base/worker_threads.h"

#include <QThread>

#include <atomic>

namespace {
std::atomic<int> threads{0};
}

void setWorkerThreads(int count)
{
    threads = qMax(0, count);
    if (threads > 0)
        workerPool().setMaxThreadCount(threads);
}

int workerThreads()
{
    return threads;
}

int defaultWorkerThreads()
{
    return QThread::idealThreadCount();
}

QThreadPool& workerPool()
{
    // Its own pool: work queued here never waits behind whatever else uses the global one.
    static QThreadPool pool;
    return pool;
}
