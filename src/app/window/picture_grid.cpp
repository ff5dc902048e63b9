#include "app/window/picture_grid.h"

#include "app/window/shown_pictures.h"
#include "app/window/thumbnail_cache.h"
#include "lists/picture_table.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kPadding = 6;

QString cell(const QModelIndex& index, PictureTable::Column column)
{
    return index.sibling(index.row(), column).data().toString();
}

class ThumbnailDelegate final : public QStyledItemDelegate {
public:
    ThumbnailDelegate(ThumbnailCache& thumbnails, QObject* parent)
        : QStyledItemDelegate(parent), m_thumbnails(thumbnails)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        const int line = option.fontMetrics.height();
        return {ThumbnailCache::kSide + 2 * kPadding, ThumbnailCache::kSide + 2 * line + 3 * kPadding};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPalette& palette = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        if (selected)
            painter->fillRect(option.rect.adjusted(1, 1, -1, -1), palette.highlight());
        const QRect box(option.rect.left() + (option.rect.width() - ThumbnailCache::kSide) / 2,
                        option.rect.top() + kPadding, ThumbnailCache::kSide, ThumbnailCache::kSide);
        const QString address = cell(index, PictureTable::Address);
        switch (m_thumbnails.state(address)) {
        case ThumbnailCache::State::Ready: {
            const QImage image = m_thumbnails.thumbnail(address);
            QRect place(QPoint(), image.size());
            place.moveCenter(box.center());
            painter->drawImage(place, image);
            break;
        }
        case ThumbnailCache::State::Undecodable:
            painter->setPen(palette.color(QPalette::Mid));
            painter->drawRect(box.adjusted(0, 0, -1, -1));
            painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(box, Qt::AlignCenter, cell(index, PictureTable::Type).toUpper());
            break;
        case ThumbnailCache::State::Missing:
            painter->fillRect(box, palette.alternateBase());
            m_thumbnails.want(address);
            break;
        }
        painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int line = option.fontMetrics.height();
        QRect text(option.rect.left() + 2, box.bottom() + kPadding, option.rect.width() - 4, line);
        painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(cell(index, PictureTable::FileName), Qt::ElideMiddle,
                                                        text.width()));
        const QString width = cell(index, PictureTable::Width);
        const QString height = cell(index, PictureTable::Height);
        if (!width.isEmpty() && !height.isEmpty()) {
            text.translate(0, line);
            painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                              QStringLiteral("%1 x %2").arg(width, height));
        }
        painter->restore();
    }

private:
    ThumbnailCache& m_thumbnails;
};

} // namespace

PictureGrid::PictureGrid(ShownPictures& shown, ThumbnailCache& thumbnails, QWidget* parent)
    : QListView(parent), m_thumbnails(thumbnails)
{
    setModel(&shown);
    setModelColumn(PictureTable::FileName);
    auto* delegate = new ThumbnailDelegate(thumbnails, this);
    setItemDelegate(delegate);
    // A list that wraps from left to right: its layout is arithmetic over equal cells, where
    // the icon mode would place each of a million cells.
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(10'000);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    setGridSize(delegate->sizeHint(option, {}));
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(gridSize().height() / 4);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionRectVisible(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(false);

    connect(&thumbnails, &ThumbnailCache::ready, viewport(), qOverload<>(&QWidget::update));
    // Cells that scrolled away before their turn are not decoded; those still in view ask again.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        m_thumbnails.dropWaiting();
        viewport()->update();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        emit viewPictureRequested(cell(index, PictureTable::Address));
    });
}
