#include "css/css_imports.h"

#include "css/css_text.h"
#include "links/url_resolution.h"
#include "text/trim_spaces.h"

namespace {

bool isCssSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The reference of one @import, read from just behind the keyword; at moves past it.
QString importReference(QStringView text, qsizetype& at)
{
    while (at < text.size() && isCssSpace(text[at]))
        ++at;
    if (at >= text.size())
        return {};
    QStringView content;
    if (text[at] == u'"' || text[at] == u'\'') {
        at = readCssString(text, at, content);
        return content.toString();
    }
    if (!text.sliced(at).startsWith(u"url(", Qt::CaseInsensitive))
        return {};
    at += 4;
    while (at < text.size() && isCssSpace(text[at]))
        ++at;
    if (at < text.size() && (text[at] == u'"' || text[at] == u'\'')) {
        at = readCssString(text, at, content);
        return content.toString();
    }
    const qsizetype close = text.indexOf(u')', at);
    const qsizetype end = close < 0 ? text.size() : close;
    const QString reference = text.sliced(at, end - at).trimmed().toString();
    at = end;
    return reference;
}

} // namespace

QStringList importReferences(const QString& text)
{
    QStringList references;
    const QStringView view = text;
    const QStringView keyword = u"@import";
    qsizetype at = 0;
    while (at < view.size()) {
        const QChar c = view[at];
        if (c == u'/' && view.sliced(at).startsWith(u"/*")) {
            at = skipCssComment(view, at);
        } else if (c == u'@' && view.sliced(at).startsWith(keyword, Qt::CaseInsensitive)) {
            at += keyword.size();
            const QString reference = trimSpaces(importReference(view, at));
            if (!reference.isEmpty())
                references.append(reference);
        } else {
            ++at;
        }
    }
    return references;
}

QStringList resolveImports(const QStringList& references, const QString& base)
{
    QStringList sheets;
    for (const QString& reference : references) {
        const QString sheet = resolveUrl(reference, base);
        if (!sheet.isEmpty())
            sheets.append(sheet);
    }
    return sheets;
}

QStringList importedSheets(const QString& text, const QString& base)
{
    return resolveImports(importReferences(text), base);
}
