#include "extract/style_sheet_links.h"

#include "links/url_resolution.h"
#include "platform/document.h"
#include "text/trim_spaces.h"

#include <QRegularExpression>

bool namesStyleSheet(const Element& link)
{
    const QString type = trimSpaces(link.type().value_or(QString()).toLower());
    if (!type.isEmpty())
        return type == QLatin1String("text/css");
    // HTML5 pages rarely write the type; rel is a list of words.
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = link.rel().value_or(QString()).split(blanks, Qt::SkipEmptyParts);
    return words.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive);
}

QStringList getStyleSheetLinks(const Document& document)
{
    QStringList sheets;
    const QString base = document.URL();
    if (base.isEmpty())
        return sheets;
    for (const Element& link : document.getElementsByTagName(QStringLiteral("LINK"))) {
        const QString href = trimSpaces(link.href().value_or(QString()));
        if (!href.isEmpty() && namesStyleSheet(link))
            sheets.append(resolveUrl(href, base));
    }
    return sheets;
}
