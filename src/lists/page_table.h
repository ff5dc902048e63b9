#pragma once

#include "base/hashed_index.h"
#include "base/packed_texts.h"
#include "lists/text_pool.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <set>

// The four states of a page in the queue; the status column shows exactly these texts.
enum class PageStatus { Waiting, Downloading, Done, Failed };
QString pageStatusText(PageStatus status); // "", "正在下载", "提取完成", "下载出错"

struct PageRow {
    QString title;   // "[添加]" for a start address, "1" for a harvested link
    QString address; // as it first arrived, without its fragment
    PageStatus status = PageStatus::Waiting;
    std::optional<double> tag; // clock time of the last dispatch
    int depth = 0; // 0 for a start address, the harvested page's depth + 1 for its links
};

// The page table, the crawl queue: one row per known page, keyed by tableKey of its address.
// Rows are only appended, so a position (counted from 1) stays valid for good. A row is a
// record of a few dozen bytes: the address packed (one byte a character for ASCII), the
// title a number in a pool, the index of keys record numbers.
class PageTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Title, Address, Type, DownloadStatus };
    static constexpr int columnTotal = 8;
    static QStringList headers();

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Appends a waiting row for the address without its fragment, under tableKey(address).
    // False, and nothing changes, when a row with that key is there already.
    bool addRow(const QString& title, const QString& address, int depth = 0);
    bool containsAddress(const QString& address) const;

    int size() const { return int(m_records.size()); }
    bool isPosition(int position) const { return position >= 1 && position <= size(); }
    // position must satisfy isPosition().
    PageRow row(int position) const;
    // Parts of a row, without building its texts.
    PageStatus status(int position) const { return record(position).status; }
    std::optional<double> tag(int position) const
    {
        return record(position).tagged ? std::optional(record(position).tag) : std::nullopt;
    }
    // Both ignore a position outside the table.
    void setStatus(int position, PageStatus status);
    void setTag(int position, double time);

    // The waiting row with the lowest position.
    std::optional<int> firstWaiting() const;
    const std::set<int>& waitingPositions() const { return m_waiting; }
    const std::set<int>& downloadingPositions() const { return m_downloading; }
    int waitingCount() const { return int(m_waiting.size()); }
    int downloadingCount() const { return int(m_downloading.size()); }

private:
    struct Record {
        PackedTexts::Span address;
        double tag = 0;
        int depth = 0;
        quint32 title = 0; // in m_titles
        PageStatus status = PageStatus::Waiting;
        bool tagged = false;
        bool addressIsKey = false; // the address is its own table key
    };
    const Record& record(int position) const { return m_records[size_t(position - 1)]; }
    std::optional<quint32> findRecord(const QString& address, QString& key) const;
    std::set<int>* positionsWith(PageStatus status);

    std::deque<Record> m_records; // grows without moving a row
    PackedTexts m_addresses;
    TextPool m_titles;
    HashedIndex m_index; // record numbers by the key of their address
    // Kept beside the rows so that the scheduler never scans the whole queue per tick.
    std::set<int> m_waiting;
    std::set<int> m_downloading;
};
