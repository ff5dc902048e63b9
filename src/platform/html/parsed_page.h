#pragma once

#include "platform/document.h"
#include "platform/url_cache.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A parsed page before its frames, style sheets and pictures have loaded.
struct ParsedPage {
    DocumentData data; // all but the frames and the file sizes of the pictures
    // The IMG elements in document order, waiting for their pictures: a file size is known
    // once one has loaded.
    QList<ElementStore::Index> images;
    // FRAME and IFRAME elements in document order: the absolute address of each, or the
    // empty text for one without an address (an empty frame).
    QStringList frameSources;
    QStringList styleSheets; // absolute addresses of the linked style sheets
    QStringList styleBlockImports; // absolute addresses of the sheets STYLE blocks @import
    QStringList pictures;    // absolute addresses of the IMG pictures

    // The finished snapshot. Each IMG gets as "filesize" the byte size of its picture in
    // the cache, and none when the cache does not hold it.
    DocumentPtr finish(QList<DocumentPtr> frames, const UrlCache& cache) &&;
};


// An empty HTML document at the address: "about:blank", an empty frame, a failed page.
DocumentPtr blankDocument(const QString& address);

// The document of a response that is not HTML: nothing in it is read.
DocumentPtr nonHtmlDocument(const QString& address);

// The document a browser shows for a lone picture: one IMG of the address (bytes long, when
// known), and nothing else, so no links.
DocumentPtr lonePictureDocument(const QString& address, std::optional<qint64> bytes);
