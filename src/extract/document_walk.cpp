#include "extract/document_walk.h"

#include "css/css_image_set.h"
#include "css/css_imports.h"
#include "css/css_urls.h"
#include "css/sheet_scan.h"
#include "extract/element_pictures.h"
#include "extract/link_harvest.h"
#include "extract/page_script_text.h"
#include "extract/style_sheet_links.h"
#include "links/script_links.h"
#include "links/url_resolution.h"
#include "platform/url_cache.h"
#include "text/trim_spaces.h"

#include <QHash>
#include <QSet>

#include <memory>

namespace {

QString text(const std::optional<QString>& member)
{
    return member.value_or(QString());
}

QList<Element> elements(const Document& document, const char* tag)
{
    return document.getElementsByTagName(QLatin1String(tag));
}

// The style sheets of one page as the walk reads them from the cache: each scan asked for
// once, and each sheet that an @import pulls in read once for the whole page, so that sheets
// that import each other end.
class PageSheets {
public:
    explicit PageSheets(const UrlCache* cache) : m_cache(cache) {}

    // Nothing when the cache cannot give the sheet.
    const SheetScan* scan(const QString& sheet)
    {
        if (!m_cache)
            return nullptr;
        auto known = m_scans.constFind(sheet);
        if (known == m_scans.constEnd())
            known = m_scans.insert(sheet, m_cache->sheetScan(sheet));
        return known->get();
    }
    void markRead(const QString& sheet) { m_read.insert(sheet); }
    bool firstRead(const QString& sheet)
    {
        if (m_read.contains(sheet))
            return false;
        m_read.insert(sheet);
        return true;
    }

private:
    const UrlCache* m_cache;
    QHash<QString, std::shared_ptr<const SheetScan>> m_scans;
    QSet<QString> m_read;
};

// What one document's walk appends to.
struct Walk {
    CandidateList& candidates;
    PageSheets& sheets;
    PageScripts& scripts;
    QString title;
    QString source;

    void append(const QString& reference, const QString& base, const QString& size = QString())
    {
        candidates.append(resolveUrl(reference, base, &scripts), size, title, source);
    }
    void appendAll(const QStringList& references, const QString& base)
    {
        for (const QString& reference : references)
            append(reference, base);
    }
    void imageSet(const QString& cssText, const QString& base)
    {
        appendAll(imageSetStrings(cssText), base);
    }
    // A linked or imported sheet's image-set() strings, and the sheets it imports.
    void sheetSources(const SheetScan& scan, const QString& sheet, int depth)
    {
        appendAll(scan.imageSets, sheet);
        imports(resolveImports(scan.imports, sheet), depth);
    }
    // The sheets that a style text imports, each read like a linked sheet and resolved
    // against its own address, their own imports right after them.
    void imports(const QStringList& imported, int depth)
    {
        if (depth > kMaxImportDepth)
            return;
        for (const QString& sheet : imported) {
            if (!sheets.firstRead(sheet))
                continue;
            const SheetScan* scan = sheets.scan(sheet);
            if (!scan)
                continue;
            appendAll(scan->urls, sheet);
            sheetSources(*scan, sheet, depth + 1);
        }
    }
};

void walkDocument(const Document& document, CandidateList& candidates, PageSheets& sheets)
{
    // javascript: links resolve with this document's own functions.
    PageScripts scripts(pageScriptText(document));
    Walk walk{candidates, sheets, scripts, trimSpaces(document.title()),
              trimSpaces(document.location())};
    const QString url = document.URL();
    const QString base = trimSpaces(url);
    const QString markup = document.documentElementOuterHTML();
    auto append = [&](const QString& reference, const QString& size = QString()) {
        walk.append(reference, base, size);
    };

    const QString bodyBackground = text(document.bodyBackground());
    if (!bodyBackground.isEmpty())
        append(bodyBackground);

    for (const Element& embed : elements(document, "EMBED")) {
        const QString src = text(embed.src());
        if (!src.isEmpty() && text(embed.outerHTML()).contains(QLatin1String("image/"), Qt::CaseInsensitive))
            append(src);
    }
    for (const Element& cell : elements(document, "TD")) {
        const QString background = text(cell.background());
        if (!background.isEmpty())
            append(background);
    }
    for (const Element& input : elements(document, "INPUT")) {
        if (text(input.type()).toLower() != QLatin1String("image"))
            continue;
        const QString src = text(input.src());
        if (!src.isEmpty())
            append(src);
    }
    for (const Element& image : elements(document, "IMG")) {
        const QString src = text(image.src());
        if (!src.isEmpty())
            append(src, text(image.fileSize()));
    }

    if (!url.isEmpty()) {
        scanCssUrls(markup, url, candidates, walk.title, walk.source, &scripts);
        for (const QString& entry : getStyleSheetLinks(document)) {
            const QString sheet = trimSpaces(entry);
            if (sheet.isEmpty())
                continue;
            sheets.markRead(sheet);
            if (const SheetScan* scan = sheets.scan(sheet))
                walk.appendAll(scan->urls, sheet);
        }
    }

    // The sources of present-day pages, element by element in document order. Style blocks
    // and linked sheets give their image-set() strings and @imported sheets here.
    const QString documentBase = trimSpaces(document.baseURI());
    for (const Element& element : document.allElements()) {
        appendElementPictures(element, documentBase, candidates, walk.title, walk.source,
                              &scripts);
        if (url.isEmpty())
            continue;
        const QString tag = element.tagName();
        if (tag == QLatin1String("STYLE")) {
            const QString block = text(element.innerHTML());
            walk.imageSet(block, documentBase);
            walk.imports(importedSheets(block, documentBase), 1);
        } else if (tag == QLatin1String("LINK") && namesStyleSheet(element)) {
            const QString href = trimSpaces(text(element.href()));
            const QString sheet = href.isEmpty() ? QString() : trimSpaces(resolveUrl(href, base, &scripts));
            if (sheet.isEmpty())
                continue;
            if (const SheetScan* scan = sheets.scan(sheet))
                walk.sheetSources(*scan, sheet, 1);
        }
    }
}

} // namespace

void 提取网页全部图片连接(const DocumentPtr& document, CandidateList& candidates,
                         const UrlCache* cache)
{
    PageSheets sheets(cache);
    for (const DocumentPtr& each : collectDocuments(document))
        walkDocument(*each, candidates, sheets);
}
