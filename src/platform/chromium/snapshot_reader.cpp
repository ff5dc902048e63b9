#include "platform/chromium/snapshot_reader.h"

#include "platform/chromium/snapshot_script.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

SnapshotReader::SnapshotReader(QWebEnginePage* page, QObject* parent)
    : QObject(parent), m_page(page)
{
}

void SnapshotReader::start()
{
    run(snapshotScript());
}

void SnapshotReader::run(const QString& script)
{
    if (!m_page) {
        QMetaObject::invokeMethod(this, [this] { sliceArrived({}); }, Qt::QueuedConnection);
        return;
    }
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [self = QPointer<SnapshotReader>(this)](const QVariant& slice) {
                              if (self)
                                  self->sliceArrived(slice);
                          });
}

void SnapshotReader::sliceArrived(const QVariant& slice)
{
    if (m_finished)
        return;
    if (m_assembly.add(slice) && !m_assembly.isDone()) {
        run(snapshotNextSliceScript());
        return;
    }
    emit read(take());
}

PageSnapshot SnapshotReader::take()
{
    m_finished = true;
    return m_assembly.take();
}
