#include "app/window/picture_view.h"

#include "app/window/twips.h"
#include "app/window/shown_pictures.h"
#include "lists/picture_table.h"

#include <QHeaderView>
#include <QStyle>

namespace {

// Design widths of the nine columns, in twips.
constexpr int columnWidthsTwips[PictureTable::columnTotal] = {2000, 3500, 1200, 1440, 2000,
                                                              3500, 1440, 1440, 1440};

} // namespace

PictureView::PictureView(ShownPictures& shown, QWidget* parent) : QTableView(parent), m_shown(shown)
{
    setModel(&shown);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setToolTip(tr("双击查看图片"));

    // Every row the same height, so that a million rows scroll without measuring any.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    for (int column = 0; column < PictureTable::columnTotal; ++column)
        header->resizeSection(column, twipsToPixels(columnWidthsTwips[column]));

    connect(header, &QHeaderView::sectionClicked, this, &PictureView::sortByHeader);
    connect(this, &QAbstractItemView::doubleClicked, this, [this] {
        if (const auto address = selectedAddress())
            emit viewPictureRequested(*address);
    });
}

std::optional<QString> PictureView::selectedAddress() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()->isRowSelected(current.row()))
        return std::nullopt;
    return m_shown.table().cellText(m_shown.tableRow(current.row()), PictureTable::Address);
}

void PictureView::sortByHeader(int section)
{
    PictureTable& table = m_shown.table();
    table.sortByColumnClick(section + 1);
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(table.sortKey(), table.sortOrder());
    // The arrow takes room from the caption: a column too narrow for both grows to fit them.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int arrow = style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
    const QString caption = model()->headerData(section, Qt::Horizontal).toString();
    const int needed = header->fontMetrics().horizontalAdvance(caption) + arrow + 4 * margin;
    if (header->sectionSize(section) < needed)
        header->resizeSection(section, needed);
}
