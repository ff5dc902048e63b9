#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One picture: nine columns, as the list shows them.
struct PictureRow {
    QString fileName;
    QString address;
    QString type;
    QString size; // kilobytes as formatSizeKb writes them, or empty
    QString title;
    QString source;
    QString width;
    QString height;
    QString downloadStatus;
};

// The picture table: one row per picture address, keyed by tableKey of the address.
// Rows are only appended; a header click orders them once, and rows added later are
// appended at the end.
class PictureTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FileName, Address, Type, Size, Title, Source, Width, Height, DownloadStatus };
    static constexpr int columnTotal = 9;
    static QStringList headers();

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Adds the row under the key tableKey(address). False, and nothing changes, when a row
    // with that key is there already.
    bool addRow(const PictureRow& row);
    bool containsAddress(const QString& address) const;
    std::optional<int> rowOfAddress(const QString& address) const;
    const PictureRow& row(int index) const { return m_rows.at(index); }
    int size() const { return int(m_rows.size()); }
    // For the download columns (width, height, download status).
    void setCell(int row, Column column, const QString& text);
    void reserve(int rows);

    // A click on the header of column columnIndex (1-based, 1 is "文件名"): flips the
    // table-wide direction and orders the rows once by that column. Text columns compare
    // as text without regard to letter case; the size column by value, its cells untouched,
    // empty sizes first when ascending. Rows with equal keys keep their order.
    void sortByColumnClick(int columnIndex);
    int sortKey() const { return m_sortKey; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

private:
    QString& cell(PictureRow& row, Column column);
    const QString& cell(const PictureRow& row, Column column) const;

    QList<PictureRow> m_rows;
    QHash<QString, int> m_rowByKey;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
