#include "app/window/shown_pictures.h"

#include "app/window/shown_texts.h"
#include "lists/picture_table.h"

#include <algorithm>
#include <limits>

namespace {

// Judging stops to look at the clock once in this many rows.
constexpr int kRowsBetweenClockReads = 256;

} // namespace

ShownPictures::ShownPictures(PictureTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_judged(table.size()), m_tableRows(table.size())
{
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, [this] { judgeSlice(); });
    connect(&table, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { tableRowsAdded(first, last); });
    connect(&table, &QAbstractItemModel::dataChanged, this, &ShownPictures::tableCellsChanged);
    // A sort moves every row: what is shown is worked out anew.
    connect(&table, &QAbstractItemModel::layoutChanged, this, &ShownPictures::restart);
    connect(&table, &QAbstractItemModel::modelReset, this, &ShownPictures::restart);
    connect(&table, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(&table, &QAbstractItemModel::rowsInserted, this, &ShownPictures::countsChanged);
    connect(this, &QAbstractItemModel::rowsInserted, this, &ShownPictures::countsChanged);
    connect(this, &QAbstractItemModel::rowsRemoved, this, &ShownPictures::countsChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &ShownPictures::countsChanged);
}

void ShownPictures::setFilter(const PictureFilter& filter)
{
    m_filter = filter;
    restart();
}

void ShownPictures::restart()
{
    beginResetModel();
    m_slice.stop();
    m_all = m_filter.isEmpty();
    m_rows.clear();
    m_tableRows = m_table.size();
    m_judged = m_all ? m_tableRows : 0;
    endResetModel();
    if (isJudging())
        judgeSlice();
}

bool ShownPictures::passes(int tableRow) const
{
    return m_filter.judge(m_table.row(tableRow)) == PictureFilter::Verdict::Pass;
}

bool ShownPictures::showsTableRow(int tableRow) const
{
    if (m_all)
        return tableRow >= 0 && tableRow < m_tableRows;
    return std::binary_search(m_rows.begin(), m_rows.end(), tableRow);
}

int ShownPictures::totalCount() const
{
    return m_table.size();
}

void ShownPictures::finishJudging()
{
    if (isJudging())
        judgeSlice(std::numeric_limits<int>::max());
}

void ShownPictures::judgeSlice(int sliceMs)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<int> passed;
    while (m_judged < m_tableRows) {
        if (passes(m_judged))
            passed.push_back(m_judged);
        ++m_judged;
        if (m_judged % kRowsBetweenClockReads == 0 && clock.elapsed() >= sliceMs)
            break;
    }
    if (!passed.empty()) {
        const int first = int(m_rows.size());
        beginInsertRows({}, first, first + int(passed.size()) - 1);
        m_rows.insert(m_rows.end(), passed.begin(), passed.end());
        endInsertRows();
    }
    if (isJudging())
        m_slice.start();
}

void ShownPictures::tableRowsAdded(int first, int last)
{
    // Rows are only ever appended to the table.
    const bool wasJudging = isJudging();
    m_tableRows = m_table.size();
    if (m_all) {
        m_judged = m_tableRows;
        beginInsertRows({}, first, last);
        endInsertRows();
        return;
    }
    if (wasJudging)
        return; // the slices reach them
    judgeSlice();
}

void ShownPictures::tableCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    if (m_all) {
        emit dataChanged(index(topLeft.row(), topLeft.column()), index(bottomRight.row(), bottomRight.column()));
        return;
    }
    // The title, source and download status never decide whether a row is shown.
    const auto only = [&](int first, int last) { return topLeft.column() >= first && bottomRight.column() <= last; };
    const bool mayDecide = !only(PictureTable::Title, PictureTable::Source)
        && !only(PictureTable::DownloadStatus, PictureTable::DownloadStatus);
    for (int tableRow = topLeft.row(); tableRow <= bottomRight.row() && tableRow < m_judged; ++tableRow) {
        const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), tableRow);
        const int row = int(at - m_rows.begin());
        const bool shown = at != m_rows.end() && *at == tableRow;
        const bool pass = mayDecide ? passes(tableRow) : shown;
        if (shown && pass) {
            emit dataChanged(index(row, topLeft.column()), index(row, bottomRight.column()));
        } else if (shown) {
            beginRemoveRows({}, row, row);
            m_rows.erase(at);
            endRemoveRows();
        } else if (pass) {
            beginInsertRows({}, row, row);
            m_rows.insert(at, tableRow);
            endInsertRows();
        }
    }
}

int ShownPictures::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_all ? m_tableRows : int(m_rows.size());
}

int ShownPictures::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PictureTable::columnTotal;
}

QVariant ShownPictures::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QVariant value = m_table.data(m_table.index(tableRow(index.row()), index.column()), role);
    if (role == Qt::DisplayRole && index.column() == PictureTable::DownloadStatus)
        return shownDownloadStatus(value.toString()); // the table keeps the stored text
    return value;
}

QVariant ShownPictures::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_table.headerData(section, orientation, role);
}

Qt::ItemFlags ShownPictures::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
