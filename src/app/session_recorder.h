#pragma once

#include "store/search_store.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <set>

class SearchSession;

// Keeps a search session in a search store. The changes of a timer tick, a completed page
// or a command go to the store as one transaction once that event is handled, so a page's
// status, its pictures and its links land together; when events come faster than
// writeDelayMs, their changes share one transaction. Pictures are kept by record number,
// so a header click writes one row of its own, whatever the table's size.
// The store must hold what the session holds when recording starts (both empty, or the
// session restored from the store), or be told to take everything with rewriteWhole().
class SessionRecorder : public QObject {
    Q_OBJECT
public:
    // The longest a change waits for its transaction: a crash loses at most this much work.
    static constexpr int writeDelayMs = 100;
    // Picture rows past these live in the file only: about 100 bytes a row in memory, so that
    // a search of tens of millions of pictures runs in a few hundred megabytes.
    static constexpr int pictureRowsInMemory = 2'000'000;

    SessionRecorder(SearchSession& session, SearchStore& store, QObject* parent = nullptr);

    // The next write replaces every row of the store with the session's: after a restore
    // that could not take every stored row, so that the file numbers its rows as the
    // tables do.
    void rewriteWhole();
    // Writes what changed since the last write now; gives the reason when it failed.
    std::optional<QString> flush();
    // The last write: what is left, and the mark that the search was closed, not broken off.
    std::optional<QString> finish();
    bool hasFailed() const { return m_failed; }

signals:
    // Sent once, at the first write that fails; the search goes on, unrecorded.
    void failed(const QString& reason);

private:
    void schedule();
    void notePictures(int firstRow, int lastRow);
    std::optional<QString> write(std::optional<bool> endedCleanly);
    StoreBatch pendingBatch();

    SearchSession& m_session;
    SearchStore& m_store;
    QTimer m_flushTimer;
    std::set<int> m_pages;    // positions, from 1
    std::set<int> m_pictures; // record numbers, from 0
    std::set<int> m_sorts;    // steps of the table's sorts(), from 0
    bool m_rewriteWhole = false;
    bool m_markedUnclean = false;
    bool m_failed = false;
    std::optional<QString> m_siteList;
    std::optional<bool> m_titles;
    std::optional<bool> m_sources;
};
