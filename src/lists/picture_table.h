#pragma once

#include "base/hash_filter.h"
#include "base/hashed_index.h"
#include "base/packed_texts.h"
#include "lists/picture_archive.h"
#include "lists/text_pool.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <span>
#include <vector>

// What was measured of a picture; each figure may be missing.
struct PictureFigures {
    std::optional<qint64> byteSize;   // bytes
    std::optional<int> width, height; // pixels
};

// The picture table: one row per picture address, keyed by tableKey of the address.
// Rows are only appended; a header click orders them once, and rows added later are
// appended at the end.
//
// A million rows fit in about a hundred bytes each: the address, file name and size are
// packed end to end (one byte a character for ASCII), the texts that repeat down a column
// are kept once, the address index holds record numbers, and a sort moves only a list of
// record numbers. A search bigger than memory keeps only its first rows so: the rows past
// a bound live in an archive, the search's file, and are read back a window at a time.
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
    // Adds the rows in their order, each as addRow would, and tells the view once: a page's
    // pictures arrive together. Gives how many were added.
    int addRows(std::span<const PictureRow> rows);
    bool containsAddress(const QString& address) const;
    std::optional<int> rowOfAddress(const QString& address) const;
    PictureRow row(int index) const;
    QString cellText(int row, Column column) const;
    int size() const
    {
        return m_records.size() < m_inMemory ? int(m_records.size()) : int(m_recentFirst + m_recent.size());
    }
    // For the download columns (width, height, download status).
    void setCell(int row, Column column, const QString& text);
    // Fills the row's "大小[KB]" (as formatSizeKb writes it), "宽度" and "高度" (plain integers)
    // from the figures it has; absent figures leave their cells as they are, and so do a
    // negative size, one past any real file, and a width or height below 1. Tells the view
    // once, of the cells that changed.
    void setFigures(int row, const PictureFigures& figures);
    void reserve(int rows);

    // From now on, rows from record rowsInMemory on leave memory once archive holds them
    // (rowsArchived), but for those of the last write and the latest recentKept of them
    // (no more than rowsInMemory).
    // The archive must already hold every row the table has. Once only.
    void keepRowsIn(PictureArchive* archive, int rowsInMemory, int recentKept = 16384);
    // The archive holds every row as the table has it now: the rows past the bound go.
    void rowsArchived();
    // Appends count rows the archive holds already, past the rows in memory: a resumed
    // search's. False, and nothing changes, when the table's rows in memory do not reach
    // the bound or the archive lacks a change.
    bool appendArchived(int count);

    // A click on the header of column columnIndex (1-based, 1 is "文件名"): flips the
    // table-wide direction and orders the rows once by that column. Text columns compare
    // as text without regard to letter case; the size, width and height columns by value,
    // their cells untouched, cells without a number first when ascending. Rows with equal
    // keys keep their order.
    void sortByColumnClick(int columnIndex);
    // Orders the rows by column in the direction given, as the click that gave it did: for
    // a stored table, whose clicks come back in their order.
    void sortBy(Column column, Qt::SortOrder order);
    int sortKey() const { return m_sortKey; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // The clicks that give the rows their order, oldest first. A click on the column of the
    // click before takes that one's place: ties in that column keep the order they had
    // before either, so the later click alone gives the same rows.
    const std::vector<PictureSort>& sorts() const { return m_sorts; }

    // The bytes a sort by column compares for a cell, as the table compares them itself: the
    // text folded to lower case, a number's bits, or the folded text in UTF-16 for the
    // columns kept once per text. For an archive that sorts what the table does not hold.
    static QByteArray sortKey(Column column, const QString& cell);
    // A hash of address's table key that stays the same from run to run and version to
    // version, unlike the index's: a search file keeps it.
    static qint64 storedKeyHash(const QString& address);

    // A row's record number (its place in the order rows were added) and back; both must
    // be below size().
    quint32 recordAt(int row) const { return m_order.empty() ? quint32(row) : m_order[row]; }
    int rowOfRecord(quint32 record) const { return m_order.empty() ? int(record) : int(m_rowOfRecord[record]); }

signals:
    // After every header click (sortBy), whether rows moved or not.
    void sorted();
    // A sort of a table with rows outside memory needs the archive to hold every row: the
    // one who writes it writes now, and says so with rowsArchived().
    void archiveWanted();

private:
    // The columns kept once per distinct text, in Column order from Type on, Size left out.
    static constexpr int pooledTotal = 6;
    struct Record {
        quint64 offset = 0;     // the address in m_texts, followed by the file name
        quint64 sizeOffset = 0; // the size in m_texts: after the file name until it changes
        quint32 addressLength = 0;
        quint32 fileNameLength = 0;
        quint32 sizeLength = 0;
        quint8 wide = 0;            // one bit per packed text: address, file name, size
        bool fileNameIsTail = false; // the file name is the end of the address, not packed again
        bool addressIsKey = false;   // the address is its own table key
        quint32 pooled[pooledTotal] = {};
    };
    struct Packed {
        PackedTexts::Span address, fileName, size;
    };
    struct Key {
        QStringView text;
        bool isAddress = false; // the key is the address as written
    };
    struct Adding {
        const PictureRow* row;
        quint32 hash;
        bool addressIsKey;
        std::optional<quint32> pooled[pooledTotal]; // the row's texts the pools hold already
    };

    static int pooledSlot(Column column);
    static const QString& pooledText(const PictureRow& row, int slot);
    Packed spans(const Record& record) const;
    Record pack(const QString& address, const QString& fileName, const QString& size);
    void setSize(Record& record, const QString& size);
    QString text(const Record& record, Column column) const;
    // Gives the rows the order of records.
    void reorder(std::vector<quint32> records);
    // A record past the rows in memory: from the rows waiting for the archive, the rows
    // changed since, or the archive, which is read for the rows from row on at once.
    // Nothing when the archive cannot be read.
    std::optional<PictureRow> outsideRow(quint32 record, int row) const;
    // Keeps a changed row past the rows in memory until the archive has it.
    void setOutsideRow(quint32 record, PictureRow row);
    bool hasOutsideRows() const { return size_t(size()) > m_records.size(); }
    static QString& cellOf(PictureRow& row, Column column);
    static qint64 storedHashOfKey(QStringView key);
    // The key of address: the address itself when it is its own key, else built in scratch.
    static Key keyOf(const QString& address, QString& scratch);
    bool hasKey(const Record& record, QStringView key) const;
    // Whether record (in memory, waiting for the archive, or being added from m_adding
    // at first on) is filed under key.
    bool recordHasKey(quint32 record, QStringView key, quint32 first, QString& scratch) const;
    std::optional<quint32> findArchived(QStringView key) const;
    std::optional<quint32> findRecord(QStringView key) const;
    // The records in the order of a sort by column.
    std::vector<quint32> sortedRecords(Column column, bool descending) const;

    std::deque<Record> m_records; // in the order they were added; grows without moving a row
    PackedTexts m_texts;
    TextPool m_pools[pooledTotal];
    HashedIndex m_index;
    // Row -> record and back; both empty until the first sort, while rows are records.
    std::vector<quint32> m_order;
    std::vector<quint32> m_rowOfRecord;
    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<PictureSort> m_sorts;
    QString m_key; // while adding: the key of a row's address, when it is not the address itself
    std::vector<Adding> m_adding; // the rows addRows takes, while it adds them

    PictureArchive* m_archive = nullptr;
    quint32 m_inMemory = std::numeric_limits<quint32>::max(); // records below it are in m_records
    // Records from m_inMemory to m_recentFirst are in the archive only; from m_recentFirst
    // on, they wait in m_recent for the next write.
    quint32 m_recentFirst = 0;
    std::vector<PictureRow> m_recent;
    HashedIndex m_recentIndex;
    quint32 m_recentIndexFirst = 0; // m_recentFirst when m_recentIndex was last built
    // The key hashes of the rows past the bound: a new row whose key it rules out needs no
    // look-up in the archive. Of no use once the archive could not give those of rows
    // appended by count. 16 MiB, taken with the first row past the bound: about one "maybe"
    // in 200 for a key it does not hold at 10 million rows.
    HashFilter m_outsideKeys{27};
    bool m_outsideKeysComplete = true;
    std::map<quint32, PictureRow> m_changed; // archived rows changed since the last write
    mutable std::unordered_map<quint32, PictureRow> m_read; // archived rows read lately
    mutable int m_lastReadRow = -1;
    quint32 m_writtenBefore = 0; // the table's size at the write before the last
    quint32 m_recentKept = 0; // rows past the bound that stay in memory, at least
    bool m_archiveBehind = false; // a row changed since the archive last held them all
};
