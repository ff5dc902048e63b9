#pragma once

#include "links/harvest_rules.h"
#include "platform/document.h"

#include <QList>
#include <QStringList>

class PageTable;

// A page's document followed by the documents of its frames, depth first, each frame's
// own frames right after it, then the rest of a page whose snapshot was cut short. Frames
// that refuse access are left out with their frames.
QList<DocumentPtr> collectDocuments(const DocumentPtr& top);

// Appends the document's link addresses in document order; a link without an href gives
// its inner HTML instead, and an empty text gives nothing.
void collectLinks(const Document& document, QStringList& links);

// Adds every link that the harvest rules accept and the page table does not know yet as a
// waiting row titled "1", at the given depth. The rows added with a query are remembered in
// queryPages, when given, for the rules against query traps.
void 加入选择显示列表(const QStringList& links, PageTable& pages, const SiteList& sites,
                      int depth = 1, const CrawlLimits& limits = {}, QueryPages* queryPages = nullptr);

// The links of a completed page and of its frames, in the order collectLinks gives them;
// none for a document that is not HTML. Reads only the document, so it may run on any thread.
QStringList pageLinks(const DocumentPtr& document);

// Harvests the links of a completed page (at pageDepth) and of its frames into the page
// table. A document that is not HTML, or none, gives nothing.
void harvestPageLinks(const DocumentPtr& document, PageTable& pages, const SiteList& sites,
                      int pageDepth = 0, const CrawlLimits& limits = {});
