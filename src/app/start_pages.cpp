#include "app/start_pages.h"

#include "links/site_scope.h"
#include "lists/page_table.h"
#include "text/trim_spaces.h"

#include <QRegularExpression>

void addStartPage(const QString& address, PageTable& pages, SiteList& sites)
{
    const QString start = trimSpaces(address);
    if (start.isEmpty())
        return;
    pages.addRow(QStringLiteral("[添加]"), start);
    sites.addStartSite(start);
}

void addStartPages(const QString& startText, PageTable& pages, SiteList& sites)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    for (const QString& line : startText.split(lineBreak))
        addStartPage(line, pages, sites);
}
