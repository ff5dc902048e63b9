#include "extract/document_walk.h"

#include "extract/css_urls.h"
#include "extract/style_sheet_links.h"
#include "extract/url_cache.h"
#include "links/link_harvest.h"
#include "links/page_script_text.h"
#include "links/script_links.h"
#include "links/trim_spaces.h"
#include "links/url_resolution.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

QString text(const std::optional<QString>& member)
{
    return member.value_or(QString());
}

QList<Element> elements(const Document& document, const char* tag)
{
    return document.getElementsByTagName(QLatin1String(tag));
}

} // namespace

std::optional<QString> readCachedText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    const auto encoding = QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decode(encoding); // skips the byte-order mark
    return QString(decode(bytes));
}

void 提取DOC全部图片连接(const Document& document, CandidateList& candidates,
                        const UrlCache* cache)
{
    const QString title = trimSpaces(document.title());
    const QString source = trimSpaces(document.location());
    const QString url = document.URL();
    const QString base = trimSpaces(url);
    const QString markup = document.documentElementOuterHTML();
    // javascript: links resolve with this document's own functions.
    setPageScriptText(pageScriptText(document));
    auto append = [&](const QString& reference, const QString& size = QString()) {
        candidates.append(resolveUrl(reference, base), size, title, source);
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

    if (url.isEmpty())
        return;
    scanCssUrls(markup, url, candidates, title, source);

    if (!cache)
        return;
    for (const QString& entry : getStyleSheetLinks(document)) {
        const QString sheet = trimSpaces(entry);
        if (sheet.isEmpty())
            continue;
        QString local;
        cache->getCacheFileName(sheet, local);
        if (local.isEmpty() || !QFileInfo(local).isFile())
            continue;
        if (const std::optional<QString> sheetText = readCachedText(local))
            scanCssUrls(*sheetText, sheet, candidates, title, source);
    }
}

void 提取网页全部图片连接(const DocumentPtr& document, CandidateList& candidates,
                         const UrlCache* cache)
{
    for (const DocumentPtr& each : collectDocuments(document))
        提取DOC全部图片连接(*each, candidates, cache);
}
