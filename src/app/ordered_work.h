#pragma once

#include "base/worker_threads.h"

#include <QFutureWatcher>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Work that runs on the worker threads and whose results are applied on this thread, from
// its event loop, in the order the work was added: a result that is ready early waits for
// those before it. Without worker threads each piece runs at once, in add(), and is applied
// as soon as those before it are. The workers must outlive it.
// A large result may be applied a slice at a time: apply gives false to be called again
// with the same result on the next turn of the event loop, before any later result is
// applied, so the loop is never held up for the whole of it.
// Deleting it waits for the work in flight, as that may read what its owner holds.
template <typename Result>
class OrderedWork {
public:
    // apply gives true once the result is wholly applied.
    OrderedWork(WorkerThreads* workers, std::function<bool(Result&)> apply)
        : m_workers(workers), m_apply(std::move(apply))
    {
        m_nextSlice.setSingleShot(true);
        QObject::connect(&m_nextSlice, &QTimer::timeout, &m_nextSlice, [this] { applyReady(); });
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;
    ~OrderedWork()
    {
        for (const Piece& piece : m_pieces) {
            if (piece.watcher)
                piece.watcher->waitForFinished();
        }
    }

    template <typename Work>
    void add(Work&& work)
    {
        if (!m_workers) {
            m_pieces.push_back({nullptr, work()});
            applyReady();
            return;
        }
        auto watcher = std::make_unique<QFutureWatcher<Result>>();
        QObject::connect(watcher.get(), &QFutureWatcherBase::finished, watcher.get(), [this] { applyReady(); });
        watcher->setFuture(m_workers->run(std::forward<Work>(work)));
        m_pieces.push_back({std::move(watcher), std::nullopt});
    }

    // Also false while a result is partly applied.
    bool isEmpty() const { return m_pieces.empty(); }

private:
    struct Piece {
        std::unique_ptr<QFutureWatcher<Result>> watcher; // none once the result is here
        std::optional<Result> result;
    };

    void applyReady()
    {
        // An apply that adds work comes back here: the loop below goes on with it. While a
        // result is applied in slices, nothing goes before its next slice.
        if (m_applying || m_nextSlice.isActive())
            return;
        m_applying = true;
        while (!m_pieces.empty()) {
            Piece& front = m_pieces.front();
            if (front.watcher) {
                if (!front.watcher->isFinished())
                    break;
                // It may be the watcher whose signal runs this: it goes later, and says no more.
                QObject::disconnect(front.watcher.get(), nullptr, nullptr, nullptr);
                front.result = front.watcher->future().takeResult();
                front.watcher.release()->deleteLater();
            }
            if (!m_apply(*front.result)) {
                m_nextSlice.start(0);
                break;
            }
            m_pieces.pop_front();
        }
        m_applying = false;
    }

    WorkerThreads* m_workers;
    std::function<bool(Result&)> m_apply;
    std::deque<Piece> m_pieces;
    QTimer m_nextSlice;
    bool m_applying = false;
};
