#pragma once

#include "platform/document.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

// A style sheet of a page: its address and its text, or nothing where the page could not
// read it (a sheet of another origin).
struct StyleSheetText {
    QString address;
    std::optional<QString> text;
};

// What the page says of one of its pictures: the bytes it received, or the size it shows.
struct PictureSize {
    QString address;
    qint64 bytes = 0;
};
struct PictureDimensions {
    QString address;
    int width = 0;
    int height = 0;
};

// What the snapshot script returned, built into the snapshot classes the core reads.
struct PageSnapshot {
    DocumentPtr document; // null when no slice came
    QList<StyleSheetText> styleSheets;
    QList<PictureSize> pictureSizes;
    QList<PictureDimensions> pictureDimensions;
    // When the top document began, in milliseconds since the epoch (its time origin).
    double documentStart = 0;
    // Why the page was read only in part: a cap it passed, or the reading stopped early;
    // empty when it was read whole.
    QString cut;
};

// Puts the snapshot script's slices together. What has come so far makes a snapshot at any
// time: documents whose reading had not begun are frames that give nothing.
class SnapshotAssembly {
public:
    // False when the value is not a slice of the script (the page went away).
    bool add(const QVariant& slice);
    bool isDone() const { return m_done; }
    bool isEmpty() const { return m_documents.empty(); }
    PageSnapshot take();

private:
    struct Part {
        bool opened = false;
        DocumentData data;
        QList<int> frames; // ids of frame documents, -1 where a frame gives nothing
    };
    Part* part(int id);
    void addDocument(const QVariantMap& header);
    void addRows(const QString& text);

    std::vector<Part> m_documents; // by id; a frame's id is above its parent's
    PageSnapshot m_snapshot;
    bool m_done = false;
};

// An empty HTML document at the address: "about:blank", a failed page.
DocumentPtr emptyDocument(const QString& address);
