#pragma once

#include <QListView>

class ShownPictures;
class ThumbnailCache;

// The picture list as a grid of thumbnails, over the same shown rows as the list: each cell
// the picture scaled to fit 128 pixels, its file name, and its width x height when known.
// A cell asks for its thumbnail when it is drawn, so only cells in view are decoded; a
// picture that cannot be decoded shows its type.
class PictureGrid : public QListView {
    Q_OBJECT
public:
    PictureGrid(ShownPictures& shown, ThumbnailCache& thumbnails, QWidget* parent = nullptr);

signals:
    void viewPictureRequested(const QString& address);

private:
    ThumbnailCache& m_thumbnails;
};
