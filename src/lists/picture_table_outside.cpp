#include "lists/picture_table.h"

#include <algorithm>

// The rows past the bound of a table that keeps its later rows in an archive.

void PictureTable::keepRowsIn(PictureArchive* archive, int rowsInMemory, int recentKept)
{
    if (m_archive || !archive || rowsInMemory < 0 || recentKept < 0)
        return;
    m_archive = archive;
    m_recentKept = quint32(std::min(recentKept, rowsInMemory));
    m_inMemory = std::max(quint32(rowsInMemory), quint32(m_records.size()));
    m_recentFirst = m_inMemory;
    m_recentIndexFirst = m_recentFirst;
    // Whatever changes a row leaves the archive behind until the next write.
    connect(this, &QAbstractItemModel::rowsInserted, this, [this] { m_archiveBehind = true; });
    connect(this, &QAbstractItemModel::dataChanged, this, [this] { m_archiveBehind = true; });
}

void PictureTable::rowsArchived()
{
    if (!m_archive)
        return;
    m_archiveBehind = false;
    if (!hasOutsideRows())
        return;
    // The latest rows stay: their sizes and dimensions, measured a little after they are
    // found, are then changed in memory, not read back from the file. The measuring may
    // lag by a few thousand rows, and by more than a write.
    const quint32 first = std::max(m_recentFirst, std::min(m_writtenBefore, quint32(size()) - std::min(quint32(size()), m_recentKept)));
    m_writtenBefore = quint32(size());
    m_recent.erase(m_recent.begin(), m_recent.begin() + (first - m_recentFirst));
    m_recentFirst = first;
    // The index keeps the entries of rows gone to the archive, which find nothing, until
    // they outnumber the rows still waiting: built anew at every write, it cost each row
    // past the bound a hundred hashings or so.
    if (m_recentFirst - m_recentIndexFirst > m_recent.size()) {
        m_recentIndexFirst = m_recentFirst;
        m_recentIndex = HashedIndex();
        m_recentIndex.reserve(qsizetype(m_recent.size()));
        for (quint32 i = 0; i < m_recent.size(); ++i) {
            QString scratch;
            m_recentIndex.findOrInsert(HashedIndex::hashOf(keyOf(m_recent[i].address, scratch).text), first + i,
                                       [](quint32) { return false; });
        }
    }
    for (auto& [record, row] : m_changed)
        m_read.insert_or_assign(record, std::move(row));
    m_changed.clear();
}

bool PictureTable::appendArchived(int count)
{
    if (!m_archive || count <= 0 || m_records.size() < m_inMemory || m_archiveBehind)
        return false;
    beginInsertRows({}, size(), size() + count - 1);
    if (!m_order.empty()) {
        for (int i = 0; i < count; ++i) {
            m_order.push_back(quint32(m_order.size()));
            m_rowOfRecord.push_back(quint32(m_rowOfRecord.size()));
        }
    }
    const quint32 from = m_recentFirst;
    m_recentFirst += quint32(count);
    // Rows the table never saw: their keys come from the archive, or the filter can rule
    // nothing out from now on.
    const auto file = [this](qint64 hash) { m_outsideKeys.add(quint64(hash)); };
    if (m_outsideKeysComplete && !m_archive->readKeyHashes(from, m_recentFirst, file))
        m_outsideKeysComplete = false;
    const bool behind = m_archiveBehind;
    endInsertRows();
    m_archiveBehind = behind;
    return true;
}

std::optional<PictureRow> PictureTable::outsideRow(quint32 record, int row) const
{
    if (record >= m_recentFirst)
        return m_recent[record - m_recentFirst];
    if (const auto changed = m_changed.find(record); changed != m_changed.end())
        return changed->second;
    if (const auto read = m_read.find(record); read != m_read.end())
        return read->second;
    // A view and a walk down the table ask row after row: once a walk shows, the rows that
    // follow come in the same read. A row asked alone (a picture measured) is read alone.
    constexpr int window = 128;
    constexpr size_t kept = 8192;
    if (m_read.size() + window > kept)
        m_read.clear();
    const bool walking = row > m_lastReadRow && row <= m_lastReadRow + window;
    m_lastReadRow = row;
    std::vector<quint32> wanted{record};
    for (int next = row + 1; walking && next < std::min(size(), row + window); ++next) {
        const quint32 other = recordAt(next);
        if (other >= m_records.size() && other < m_recentFirst && !m_changed.contains(other) && !m_read.contains(other))
            wanted.push_back(other);
    }
    const std::optional<std::vector<PictureRow>> rows = m_archive->archivedRows(wanted);
    if (!rows || rows->size() != wanted.size())
        return std::nullopt;
    for (size_t i = 0; i < wanted.size(); ++i)
        m_read.insert_or_assign(wanted[i], (*rows)[i]);
    return (*rows)[0];
}

void PictureTable::setOutsideRow(quint32 record, PictureRow row)
{
    m_outsideKeys.add(quint64(storedKeyHash(row.address))); // a new address, maybe
    if (record >= m_recentFirst) {
        m_recent[record - m_recentFirst] = std::move(row);
        return;
    }
    m_read.erase(record);
    m_changed.insert_or_assign(record, std::move(row));
}

QString& PictureTable::cellOf(PictureRow& row, Column column)
{
    switch (column) {
    case FileName: return row.fileName;
    case Address: return row.address;
    case Type: return row.type;
    case Size: return row.size;
    case Title: return row.title;
    case Source: return row.source;
    case Width: return row.width;
    case Height: return row.height;
    case DownloadStatus: break;
    }
    return row.downloadStatus;
}

std::optional<quint32> PictureTable::findArchived(QStringView key) const
{
    const qint64 hash = storedHashOfKey(key);
    if (m_outsideKeysComplete && !m_outsideKeys.mayHold(quint64(hash)))
        return std::nullopt;
    const auto found = m_archive->recordsWithKeyHash(hash);
    if (!found)
        return std::nullopt;
    QString scratch;
    for (const auto& [record, address] : *found) {
        // The archive holds the rows in memory too; those the index has answered for.
        if (record >= m_records.size() && record < m_recentFirst && keyOf(address, scratch).text == key)
            return record;
    }
    return std::nullopt;
}
