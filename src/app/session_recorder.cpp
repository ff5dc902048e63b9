#include "app/session_recorder.h"

#include "app/search_session.h"

namespace {

template <typename T>
std::optional<T> ifChanged(std::optional<T>& written, const T& now)
{
    if (written == now)
        return std::nullopt;
    return now;
}

StoredPage storedPage(const PageRow& row)
{
    return {row.title, row.address, row.status, row.depth};
}

} // namespace

SessionRecorder::SessionRecorder(SearchSession& session, SearchStore& store, QObject* parent)
    : QObject(parent), m_session(session), m_store(store)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(writeDelayMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flush(); });

    const PageTable& pages = session.pageTable();
    const auto notePages = [this](int first, int last) {
        for (int row = first; row <= last; ++row)
            m_pages.insert(row + 1);
        schedule();
    };
    connect(&pages, &QAbstractItemModel::rowsInserted, this,
            [notePages](const QModelIndex&, int first, int last) { notePages(first, last); });
    connect(&pages, &QAbstractItemModel::dataChanged, this,
            [notePages](const QModelIndex& from, const QModelIndex& to) { notePages(from.row(), to.row()); });

    // A row is noted by its record when it changes: a sort before the write moves rows, not records.
    const PictureTable& pictures = session.pictureTable();
    connect(&pictures, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { notePictures(first, last); });
    connect(&pictures, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) { notePictures(from.row(), to.row()); });
    // A sort of rows outside memory is SQLite's, over what the file holds.
    connect(&pictures, &PictureTable::archiveWanted, this, [this] { flush(); });
    connect(&pictures, &PictureTable::sorted, this, [this, &pictures] {
        // A click on the column of the click before replaces that one's step.
        m_sorts.insert(int(pictures.sorts().size()) - 1);
        schedule();
    });

    // The first write marks the search as under way.
    schedule();
}

void SessionRecorder::notePictures(int firstRow, int lastRow)
{
    const PictureTable& pictures = m_session.pictureTable();
    for (int row = firstRow; row <= lastRow; ++row)
        m_pictures.insert(int(pictures.recordAt(row)));
    schedule();
}

void SessionRecorder::rewriteWhole()
{
    m_rewriteWhole = true;
    schedule();
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
    batch.replacesRows = m_rewriteWhole;
    const PageTable& pages = m_session.pageTable();
    const PictureTable& pictures = m_session.pictureTable();
    const std::vector<PictureSort>& sorts = pictures.sorts();
    if (m_rewriteWhole) {
        for (int position = 1; position <= pages.size(); ++position)
            batch.pages.insert(position, storedPage(pages.row(position)));
        for (int record = 0; record < pictures.size(); ++record)
            batch.pictures.insert(record, pictures.row(pictures.rowOfRecord(quint32(record))));
        for (size_t step = 0; step < sorts.size(); ++step)
            batch.sorts.insert(int(step), sorts[step]);
    } else {
        for (int position : m_pages) {
            if (pages.isPosition(position))
                batch.pages.insert(position, storedPage(pages.row(position)));
        }
        for (int record : m_pictures) {
            if (record >= 0 && record < pictures.size())
                batch.pictures.insert(record, pictures.row(pictures.rowOfRecord(quint32(record))));
        }
        for (int step : m_sorts) {
            if (step >= 0 && size_t(step) < sorts.size())
                batch.sorts.insert(step, sorts[size_t(step)]);
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
    // The file holds every row as the tables have them: the rows past the bound leave memory.
    m_session.pictureTable().rowsArchived();
    m_pages.clear();
    m_pictures.clear();
    m_sorts.clear();
    m_rewriteWhole = false;
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
