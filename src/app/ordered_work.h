#pragma once

#include "platform/worker_threads.h"

#include <QFutureWatcher>

#include <deque>
#include <functional>
#include <memory>
#include <utility>

// Work that runs on the worker threads and whose results are applied on this thread, from
// its event loop, in the order the work was added: a result that is ready early waits for
// those before it. Without worker threads each piece runs and is applied at once, in add().
// Deleting it waits for the work in flight, as that may read what its owner holds.
template <typename Result>
class OrderedWork {
public:
    explicit OrderedWork(std::function<void(Result&)> apply) : m_apply(std::move(apply)) {}
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;
    ~OrderedWork()
    {
        for (const auto& watcher : m_pending)
            watcher->waitForFinished();
    }

    template <typename Work>
    void add(Work&& work)
    {
        if (workerThreads() == 0 && m_pending.empty()) {
            Result result = work();
            m_apply(result);
            return;
        }
        auto watcher = std::make_unique<QFutureWatcher<Result>>();
        QObject::connect(watcher.get(), &QFutureWatcherBase::finished, watcher.get(), [this] { applyReady(); });
        watcher->setFuture(runOnWorker(std::forward<Work>(work)));
        m_pending.push_back(std::move(watcher));
    }

    bool isEmpty() const { return m_pending.empty(); }

private:
    void applyReady()
    {
        while (!m_pending.empty() && m_pending.front()->isFinished()) {
            std::unique_ptr<QFutureWatcher<Result>> watcher = std::move(m_pending.front());
            m_pending.pop_front();
            // It may be the watcher whose signal runs this: it goes later, and says no more.
            QObject::disconnect(watcher.get(), nullptr, nullptr, nullptr);
            Result result = watcher->future().takeResult();
            watcher.release()->deleteLater();
            m_apply(result);
        }
    }

    std::function<void(Result&)> m_apply;
    std::deque<std::unique_ptr<QFutureWatcher<Result>>> m_pending;
};
