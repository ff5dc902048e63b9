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
    return parent.isValid() ? 0 : size();
}

int PageTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant PageTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size() || index.column() >= columnTotal)
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const Record& page = record(index.row() + 1);
    switch (index.column()) {
    case Title: return m_titles.text(page.title);
    case Address: return m_addresses.text(page.address);
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

std::optional<quint32> PageTable::findRecord(const QString& address, QString& key) const
{
    const bool addressIsKey = isOwnTableKey(address);
    if (!addressIsKey)
        key = tableKey(address);
    const QStringView sought = addressIsKey ? QStringView(address) : QStringView(key);
    return m_index.find(HashedIndex::hashOf(sought), [&](quint32 number) {
        const Record& other = m_records[number];
        // A stored address without its fragment has the key of the address as it came.
        return other.addressIsKey ? m_addresses.equals(other.address, sought)
                                  : tableKey(m_addresses.text(other.address)) == sought;
    });
}

bool PageTable::addRow(const QString& title, const QString& address, int depth)
{
    QString key;
    if (findRecord(address, key))
        return false;
    const bool addressIsKey = isOwnTableKey(address);
    const int at = size();
    beginInsertRows({}, at, at);
    Record& added = m_records.emplace_back();
    added.address = m_addresses.append(addressIsKey ? address : withoutFragment(address));
    added.title = m_titles.intern(title);
    added.depth = depth;
    added.addressIsKey = addressIsKey;
    m_index.findOrInsert(HashedIndex::hashOf(addressIsKey ? address : key), quint32(at), [](quint32) { return false; });
    m_waiting.insert(at + 1);
    endInsertRows();
    return true;
}

bool PageTable::containsAddress(const QString& address) const
{
    QString key;
    return findRecord(address, key).has_value();
}

PageRow PageTable::row(int position) const
{
    const Record& r = record(position);
    return PageRow{m_titles.text(r.title), m_addresses.text(r.address), r.status,
                   r.tagged ? std::optional(r.tag) : std::nullopt, r.depth};
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
    Record& page = m_records[size_t(position - 1)];
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
    if (!isPosition(position))
        return;
    m_records[size_t(position - 1)].tag = time;
    m_records[size_t(position - 1)].tagged = true;
}

std::optional<int> PageTable::firstWaiting() const
{
    if (m_waiting.empty())
        return std::nullopt;
    return *m_waiting.begin();
}
