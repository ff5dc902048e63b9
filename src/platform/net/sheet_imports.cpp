#include "platform/net/sheet_imports.h"

#include "css/css_imports.h"
#include "platform/url_cache.h"

void SheetImports::addSheets(const QStringList& sheets, int depth)
{
    for (const QString& sheet : sheets) {
        if (!m_depth.contains(sheet))
            m_depth.insert(sheet, depth);
    }
}

QStringList SheetImports::importsOf(const QString& sheet, const UrlCache& cache)
{
    const auto depth = m_depth.constFind(sheet);
    if (depth == m_depth.constEnd() || *depth >= kMaxImportDepth || m_read.contains(sheet))
        return {};
    const std::shared_ptr<const SheetScan> scan = cache.sheetScan(sheet);
    if (!scan)
        return {}; // asked again once it has loaded
    m_read.insert(sheet);
    const int next = *depth + 1;
    QStringList fresh;
    for (const QString& imported : resolveImports(scan->imports, sheet)) {
        if (m_depth.contains(imported))
            continue;
        m_depth.insert(imported, next);
        fresh.append(imported);
    }
    return fresh;
}
