#include "app/session_recorder.h"

#include "app/search_session.h"

namespace {

void insertRange(std::set<int>& into, int first, int last, int offset)
{
    for (int row = first; row <= last; ++row)
        into.insert(row + offset);
}

template <typename T>
std::optional<T> ifChanged(std::optional<T>& written, const T& now)
{
    if (written == now)
        return std::nullopt;
    return now;
}

} // namespace

SessionRecorder::SessionRecorder(SearchSession& session, SearchStore& store, QObject* parent)
    : QObject(parent), m_session(session), m_store(store)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(writeDelayMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flush(); });

    watchRows(session.pageTable(), m_pages, 1);
    PictureTable& pictures = session.pictureTable();
    watchRows(pictures, m_pictures, 0);
    auto replaced = [this] {
        m_picturesReplaced = true;
        schedule();
    };
    connect(&pictures, &QAbstractItemModel::layoutChanged, this, replaced);
    connect(&pictures, &QAbstractItemModel::modelReset, this, replaced);

    // The first write marks the search as under way.
    schedule();
}

void SessionRecorder::watchRows(const QAbstractItemModel& model, std::set<int>& changed, int offset)
{
    connect(&model, &QAbstractItemModel::rowsInserted, this, [this, &changed, offset](const QModelIndex&, int first, int last) {
        insertRange(changed, first, last, offset);
        schedule();
    });
    connect(&model, &QAbstractItemModel::dataChanged, this, [this, &changed, offset](const QModelIndex& from, const QModelIndex& to) {
        insertRange(changed, from.row(), to.row(), offset);
        schedule();
    });
}

void SessionRecorder::schedule()
{
    if (!m_failed && !m_flushTimer.isActive())
        m_flushTimer.start();
}

std::optional<QString> SessionRecorder::flush()
{
    return write(m_markedUnclean ? std::nullopt : std::optional<bool>(false));
}

std::optional<QString> SessionRecorder::finish()
{
    return write(true);
}

StoreBatch SessionRecorder::pendingBatch()
{
    StoreBatch batch;
    const PageTable& pages = m_session.pageTable();
    for (int position : m_pages) {
        if (!pages.isPosition(position))
            continue;
        const PageRow& row = pages.row(position);
        batch.pages.insert(position, StoredPage{row.title, row.address, pageStatusText(row.status)});
    }
    const PictureTable& pictures = m_session.pictureTable();
    batch.picturesReplaced = m_picturesReplaced;
    if (m_picturesReplaced) {
        for (int index = 0; index < pictures.size(); ++index)
            batch.pictures.insert(index, pictures.row(index));
    } else {
        for (int index : m_pictures) {
            if (index < pictures.size())
                batch.pictures.insert(index, pictures.row(index));
        }
    }
    batch.siteList = ifChanged(m_siteList, m_session.siteList().text());
    batch.titles = ifChanged(m_titles, m_session.extractTitles());
    batch.sources = ifChanged(m_sources, m_session.extractSources());
    return batch;
}

std::optional<QString> SessionRecorder::write(std::optional<bool> endedCleanly)
{
    m_flushTimer.stop();
    if (m_failed)
        return QStringLiteral("an earlier write failed");
    StoreBatch batch = pendingBatch();
    batch.endedCleanly = endedCleanly;
    if (const std::optional<QString> failure = m_store.write(batch)) {
        m_failed = true;
        emit failed(*failure);
        return failure;
    }
    m_pages.clear();
    m_pictures.clear();
    m_picturesReplaced = false;
    if (endedCleanly)
        m_markedUnclean = !*endedCleanly;
    if (batch.siteList)
        m_siteList = batch.siteList;
    if (batch.titles)
        m_titles = batch.titles;
    if (batch.sources)
        m_sources = batch.sources;
    return std::nullopt;
}
