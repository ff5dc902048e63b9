#include "lists/page_table.h"

#include "text/table_key.h"

QString pageStatusText(PageStatus status)
{
    switch (status) {
    case PageStatus::Waiting: break;
    case PageStatus::Downloading: return QStringLiteral("正在下载");
    case PageStatus::Done: return QStringLiteral("提取完成");
    case PageStatus::Failed: return QStringLiteral("下载出错");
    }
    return {};
}

QStringList PageTable::headers()
{
    return {QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("类型"),
            QStringLiteral("下载状态"), QString(), QString(), QString(), QString()};
}

int PageTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PageTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant PageTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= columnTotal)
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const PageRow& page = m_rows.at(index.row());
    switch (index.column()) {
    case Title: return page.title;
    case Address: return page.address;
    case DownloadStatus: return pageStatusText(page.status);
    default: return QString();
    }
}

QVariant PageTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < columnTotal)
        return headers().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags PageTable::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool PageTable::addRow(const QString& title, const QString& address, int depth)
{
    const QString key = tableKey(address);
    if (m_positionByKey.contains(key))
        return false;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(PageRow{title, withoutFragment(address), PageStatus::Waiting, std::nullopt, depth});
    m_positionByKey.insert(key, at + 1);
    m_waiting.insert(at + 1);
    endInsertRows();
    return true;
}

bool PageTable::containsAddress(const QString& address) const
{
    return m_positionByKey.contains(tableKey(address));
}

std::set<int>* PageTable::positionsWith(PageStatus status)
{
    switch (status) {
    case PageStatus::Waiting: return &m_waiting;
    case PageStatus::Downloading: return &m_downloading;
    case PageStatus::Done:
    case PageStatus::Failed: break;
    }
    return nullptr;
}

void PageTable::setStatus(int position, PageStatus status)
{
    if (!isPosition(position))
        return;
    PageRow& page = m_rows[position - 1];
    if (page.status == status)
        return;
    if (auto* from = positionsWith(page.status))
        from->erase(position);
    if (auto* to = positionsWith(status))
        to->insert(position);
    page.status = status;
    const QModelIndex cell = index(position - 1, DownloadStatus);
    emit dataChanged(cell, cell);
}

void PageTable::setTag(int position, double time)
{
    if (isPosition(position))
        m_rows[position - 1].tag = time;
}

std::optional<int> PageTable::firstWaiting() const
{
    if (m_waiting.empty())
        return std::nullopt;
    return *m_waiting.begin();
}
