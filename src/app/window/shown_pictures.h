#pragma once

#include "lists/picture_filter.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTimer>

#include <vector>

class PictureTable;

// The rows of the picture table that the window's filter lets through, in the table's order,
// for the list and the grid alike. The table keeps every row; this only maps shown rows to
// table rows. A new filter, or a sort of the table, is applied to the table in slices between
// events, the shown rows growing as it goes, so that a million rows never freeze the window.
// Rows added to the table and cells that change are judged as they come.
class ShownPictures : public QAbstractTableModel {
    Q_OBJECT
public:
    // Time one slice of judging may take on the event loop's thread.
    static constexpr int kSliceMs = 8;

    explicit ShownPictures(PictureTable& table, QObject* parent = nullptr);

    void setFilter(const PictureFilter& filter);
    const PictureFilter& filter() const { return m_filter; }
    bool isFiltering() const { return !m_filter.isEmpty(); }
    // True while a new filter or a sort is still being applied.
    bool isJudging() const { return m_judged < m_tableRows; }
    // Judges the rest at once: before the shown rows are saved or downloaded.
    void finishJudging();

    PictureTable& table() const { return m_table; }
    // The table row shown at row.
    int tableRow(int row) const { return m_all ? row : m_rows[size_t(row)]; }
    // Whether the table row is shown (false for a row not yet judged).
    bool showsTableRow(int tableRow) const;
    int shownCount() const { return rowCount(); }
    int totalCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The shown or the total count changed.
    void countsChanged();

private:
    bool passes(int tableRow) const;
    void restart();
    void judgeSlice(int sliceMs = kSliceMs);
    void tableRowsAdded(int first, int last);
    void tableCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);

    PictureTable& m_table;
    PictureFilter m_filter;
    bool m_all = true;         // no filter: every table row, one to one
    std::vector<int> m_rows;   // shown table rows, ascending, while filtering
    int m_judged = 0;          // table rows [0, m_judged) are judged
    int m_tableRows = 0;       // table rows known to this model
    QTimer m_slice;
};
