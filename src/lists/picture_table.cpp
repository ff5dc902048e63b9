#include "lists/picture_table.h"

#include "links/table_key.h"
#include "lists/size_format.h"

#include <algorithm>
#include <numeric>
#include <vector>

QStringList PictureTable::headers()
{
    return {QStringLiteral("文件名"), QStringLiteral("网址"), QStringLiteral("类型"),
            QStringLiteral("大小[KB]"), QStringLiteral("标题"), QStringLiteral("来源"),
            QStringLiteral("宽度"), QStringLiteral("高度"), QStringLiteral("下载状态")};
}

int PictureTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PictureTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant PictureTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnTotal)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cell(m_rows.at(index.row()), Column(index.column()));
    if (role == Qt::TextAlignmentRole)
        return index.column() == Size ? int(Qt::AlignRight | Qt::AlignVCenter)
                                      : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant PictureTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnTotal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headers().at(section);
    if (role == Qt::TextAlignmentRole)
        return section == Size ? int(Qt::AlignRight | Qt::AlignVCenter)
                               : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags PictureTable::flags(const QModelIndex& index) const
{
    // No in-place editing.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool PictureTable::addRow(const PictureRow& row)
{
    const QString key = tableKey(row.address);
    if (m_rowByKey.contains(key))
        return false;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(row);
    m_rowByKey.insert(key, at);
    endInsertRows();
    return true;
}

bool PictureTable::containsAddress(const QString& address) const
{
    return m_rowByKey.contains(tableKey(address));
}

std::optional<int> PictureTable::rowOfAddress(const QString& address) const
{
    const auto it = m_rowByKey.constFind(tableKey(address));
    if (it == m_rowByKey.constEnd())
        return std::nullopt;
    return *it;
}

void PictureTable::setCell(int row, Column column, const QString& text)
{
    if (row < 0 || row >= m_rows.size() || column == Address)
        return; // the address is the key and never changes
    cell(m_rows[row], column) = text;
    emit dataChanged(index(row, column), index(row, column));
}

void PictureTable::reserve(int rows)
{
    m_rows.reserve(rows);
    m_rowByKey.reserve(rows);
}

void PictureTable::sortByColumnClick(int columnIndex)
{
    if (columnIndex < 1 || columnIndex > columnTotal)
        return;
    m_sortKey = columnIndex - 1;
    m_sortOrder = m_sortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (m_rows.size() < 2)
        return;

    const Column column = Column(m_sortKey);
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    if (column == Size) {
        // Sizes order by value; cells that hold no number come first.
        std::vector<double> values(m_rows.size());
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            values[i] = sizeCellValue(m_rows.at(i).size).value_or(-1.0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return descending ? values[b] < values[a] : values[a] < values[b];
        });
    } else {
        // Fold each cell once: folding inside the comparison costs several times more.
        std::vector<QString> keys(m_rows.size());
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            keys[i] = cell(m_rows.at(i), column).toCaseFolded();
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return descending ? keys[b] < keys[a] : keys[a] < keys[b];
        });
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    QList<PictureRow> sorted;
    sorted.reserve(m_rows.size());
    for (size_t to = 0; to < order.size(); ++to) {
        newRowOf[order[to]] = int(to);
        sorted.append(std::move(m_rows[order[to]]));
    }
    m_rows = std::move(sorted);
    // The keys stay; only their rows move.
    for (int& row : m_rowByKey)
        row = newRowOf[row];
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString& PictureTable::cell(PictureRow& row, Column column)
{
    return const_cast<QString&>(cell(std::as_const(row), column));
}

const QString& PictureTable::cell(const PictureRow& row, Column column) const
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
