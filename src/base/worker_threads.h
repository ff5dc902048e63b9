#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

// The threads that parse pages and read their documents away from the event loop. A program
// starts with none: then that work runs on the event loop's thread, at once, as it always did.
void setWorkerThreads(int count);
int workerThreads();
// One a core: what a search uses unless told otherwise.
int defaultWorkerThreads();
QThreadPool& workerPool();

// Runs work on a worker thread. It must touch only what no other thread changes meanwhile:
// copies, immutable documents, the URL cache.
template <typename Work>
auto runOnWorker(Work&& work)
{
    return QtConcurrent::run(&workerPool(), std::forward<Work>(work));
}
