#pragma once

#include "platform/url_cache.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// The style sheets that one page's sheets pull in with @import, so that the engine loads
// them like linked sheets: at most kMaxImportDepth deep, each once.
class SheetImports {
public:
    // Sheets the page loads: linked ones at depth 0, those its style blocks import at 1.
    void addSheets(const QStringList& sheets, int depth);
    // The sheets that a page's sheet imports and that are new to the page; nothing while the
    // sheet is not in the cache yet.
    QStringList importsOf(const QString& sheet, const UrlCache& cache);

private:
    QHash<QString, int> m_depth;
    QSet<QString> m_read;
};
