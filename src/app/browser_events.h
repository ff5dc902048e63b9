#pragma once

#include "extract/picture_rows.h"
#include "links/harvest_rules.h"
#include "platform/document.h"

#include <QString>
#include <QStringList>

#include <optional>

class Browser;
class BrowserSlots;
class PageTable;
class PictureTable;
class SiteRules;
class UrlCache;

// A dispatch is extracted at most this many times; the next completion resets the slot.
inline constexpr int completionLimit = 10;

// Picture rows and links of a page applied in one turn of the event loop: a page of
// a hundred thousand pictures goes in a slice at a time, so the window keeps answering.
inline constexpr int kReadingPerTurn = 2'000;

// What a completed page is extracted into.
struct SearchTables {
    PageTable& pages;
    PictureTable& pictures;
    const SiteList& sites;
    PictureOptions options;
    CrawlLimits limits;
    PicturesAwaitingType* awaiting = nullptr; // pictures known by their server's type
    QueryPages* queryPages = nullptr;         // the search's pages with a query, per path
    SiteRules* siteRules = nullptr; // when set, harvested links pass robots.txt through it
};

// A completed page on its way to the tables: read away from the event loop's thread, then
// applied on it.
struct PageReading {
    int row = 0;   // the page-table row to mark, or 0
    int depth = 0; // that row's depth
    bool failed = false;
    DocumentPtr document; // none for a failed navigation
    PagePictures pictures;
    QStringList links;
    qsizetype applied = 0; // of the picture rows, then the links, those already applied
};

// A completion reported by the browser of slot: counts it and resets the slot at the
// eleventh; else gives the page to read. The slot's row goes with the page, so it is marked
// once, and the slot may load its next page while this one is read.
std::optional<PageReading> handleDocumentComplete(BrowserSlots& browserSlots, int slot,
                                                  const QString& address, const PageTable& pages);

// Collects the page's picture rows and links, then lets go of its document; reads only the
// document and the cache.
void readPage(PageReading& page, const UrlCache* cache);

// Adds the next kReadingPerTurn of the pictures and links read; once all are in, marks the
// row and gives true. A failed navigation marks its row "下载出错" and gives nothing. A row
// is marked only while it is still "正在下载", so a row put back into the queue meanwhile
// is searched again.
bool applyPageReading(PageReading& page, SearchTables& tables);
