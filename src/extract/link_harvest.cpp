#include "extract/link_harvest.h"

#include "links/harvest_rules.h"
#include "lists/page_table.h"

#include <algorithm>

QList<DocumentPtr> collectDocuments(const DocumentPtr& top)
{
    QList<DocumentPtr> documents;
    // An explicit stack rather than recursion: the nesting of frames is the page's to choose.
    QList<DocumentPtr> pending{top};
    while (!pending.isEmpty()) {
        const DocumentPtr document = pending.takeLast();
        if (!document)
            continue;
        documents.append(document);
        // What a cut snapshot left out comes after the page's frames.
        if (document->restOfPage())
            pending.append(document->restOfPage());
        const QList<DocumentPtr>& frames = document->frames();
        std::for_each(frames.crbegin(), frames.crend(),
                      [&](const DocumentPtr& frame) { pending.append(frame); });
    }
    return documents;
}

void collectLinks(const Document& document, QStringList& links)
{
    for (const Element& link : document.links()) {
        QString address = link.href().value_or(QString());
        if (address.isEmpty())
            address = link.innerHTML().value_or(QString());
        if (!address.isEmpty())
            links.append(address);
    }
}

void 加入选择显示列表(const QStringList& links, PageTable& pages, const SiteList& sites,
                      int depth, const CrawlLimits& limits, QueryPages* queryPages)
{
    for (const QString& link : links) {
        const HarvestDecision decision = decideHarvest(link, depth, pages.size(), sites, limits, queryPages);
        if (decision.address && pages.addRow(QStringLiteral("1"), *decision.address, depth) && queryPages)
            queryPages->remember(*decision.address, depth);
    }
}

QStringList pageLinks(const DocumentPtr& document)
{
    QStringList links;
    if (!document || !document->isHtml())
        return links;
    for (const DocumentPtr& each : collectDocuments(document))
        collectLinks(*each, links);
    return links;
}

void harvestPageLinks(const DocumentPtr& document, PageTable& pages, const SiteList& sites,
                      int pageDepth, const CrawlLimits& limits)
{
    加入选择显示列表(pageLinks(document), pages, sites, pageDepth + 1, limits);
}
