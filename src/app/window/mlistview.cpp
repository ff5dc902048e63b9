#include "app/window/mlistview.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Text widths from per-character advances: far cheaper than laying out every cell of a
// long list, and close enough to pick the few cells worth measuring exactly.
class QuickWidths {
public:
    explicit QuickWidths(const QFontMetrics& metrics) : m_metrics(metrics), m_advances(0x10000, -1) {}

    int of(const QString& text)
    {
        int width = 0;
        for (const QChar c : text) {
            qint32& advance = m_advances[c.unicode()];
            if (advance < 0)
                advance = c.isSurrogate() ? m_metrics.maxWidth() : m_metrics.horizontalAdvance(c);
            width += advance;
        }
        return width;
    }

private:
    QFontMetrics m_metrics;
    std::vector<qint32> m_advances;
};

// Cells measured exactly per column; beyond them the estimates stand in.
constexpr std::size_t maxMeasuredCells = 256;

// The width the widest cell of the column needs, by the delegate's own size hint.
int widestCell(QTableView& list, int column)
{
    QAbstractItemModel* model = list.model();
    const int rows = model->rowCount(list.rootIndex());
    if (rows == 0)
        return 0;
    const auto text = [&](int row) {
        return model->index(row, column, list.rootIndex()).data(Qt::DisplayRole).toString();
    };
    QuickWidths quick(list.fontMetrics());
    std::vector<std::pair<int, int>> estimates; // (estimated width, row)
    estimates.reserve(rows);
    for (int row = 0; row < rows; ++row)
        estimates.emplace_back(quick.of(text(row)), row);
    const std::size_t measured = std::min(estimates.size(), maxMeasuredCells);
    std::partial_sort(estimates.begin(), estimates.begin() + measured, estimates.end(),
                      std::greater<>());

    // Kerning and shaping move a text's width only a little from its estimate.
    const QFontMetrics metrics = list.fontMetrics();
    int widestText = -1;
    int widestRow = estimates.front().second;
    std::size_t next = 0;
    for (; next < measured; ++next) {
        const auto [estimate, row] = estimates[next];
        if (widestText >= 0 && estimate + 2 < widestText)
            break;
        const int width = metrics.horizontalAdvance(text(row));
        if (width > widestText) {
            widestText = width;
            widestRow = row;
        }
    }
    // Many cells of (nearly) the same width: the rest count by the estimates, none of
    // which is above the last one measured.
    const bool restUnmeasured = next == measured && measured < estimates.size();
    const int unmeasured = restUnmeasured ? estimates[measured - 1].first : 0;

    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    option.font = list.font();
    option.fontMetrics = metrics;
    const QModelIndex widest = model->index(widestRow, column, list.rootIndex());
    return list.itemDelegateForIndex(widest)->sizeHint(option, widest).width()
        + std::max(0, unmeasured - widestText);
}

} // namespace

namespace MListView {

void setColumnWidth(QTableView& list, int column, int width)
{
    QAbstractItemModel* model = list.model();
    QHeaderView* header = list.horizontalHeader();
    if (!model || column < 1 || column > header->count())
        return;
    const int section = column - 1;
    if (width >= 0) {
        header->resizeSection(section, width);
        return;
    }
    if (width != autoSizeUseHeader)
        return;
    int fitted = std::max(header->sectionSizeHint(section), widestCell(list, section));
    if (section == header->count() - 1) {
        int others = 0;
        for (int i = 0; i < section; ++i)
            others += header->isSectionHidden(i) ? 0 : header->sectionSize(i);
        fitted = std::max(fitted, list.viewport()->width() - others);
    }
    header->resizeSection(section, fitted);
}

void setAllColumnWidths(QTableView& list, int width)
{
    const int columns = list.horizontalHeader()->count();
    for (int column = 1; column <= columns; ++column)
        setColumnWidth(list, column, width);
}

} // namespace MListView
