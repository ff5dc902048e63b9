#pragma once

#include "platform/chromium/page_snapshot.h"

#include <QObject>
#include <QPointer>

class QWebEnginePage;

// Reads a page with the snapshot script, slice after slice, each slice asked for when the
// one before has come. read() follows, from the event loop, when the last slice has come or
// the page has gone; take() ends the reading early with what has come.
class SnapshotReader : public QObject {
    Q_OBJECT
public:
    explicit SnapshotReader(QWebEnginePage* page, QObject* parent = nullptr);

    void start();
    // What has been read so far; read() does not follow.
    PageSnapshot take();

signals:
    void read(const PageSnapshot& snapshot);

private:
    void run(const QString& script);
    void sliceArrived(const QVariant& slice);

    QPointer<QWebEnginePage> m_page;
    SnapshotAssembly m_assembly;
    bool m_finished = false;
};
