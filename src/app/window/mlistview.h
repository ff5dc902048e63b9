#pragma once

class QTableView;

// Column widths of a list. Columns are counted from 1; a width is in pixels, or
// autoSizeUseHeader.
namespace MListView {

// Fit the column to the wider of its header and its widest cell; the last column also
// takes whatever width of the list is left.
inline constexpr int autoSizeUseHeader = -2;

// Does nothing for a column outside 1 to the number of columns, or for another negative width.
void setColumnWidth(QTableView& list, int column, int width);
void setAllColumnWidths(QTableView& list, int width);

} // namespace MListView
