#pragma once

#include "extract/picture_rows.h"
#include "links/harvest_rules.h"

#include <QString>

class Browser;
class BrowserSlots;
class PageTable;
class PageWindow;
class PictureTable;
class UrlCache;

// A dispatch is extracted at most this many times; the next completion resets the slot.
inline constexpr int completionLimit = 10;

// The script guard: the page's alert, confirm, modal dialogs and window.open do nothing.
// A script that fails is skipped.
void noEnablePop(PageWindow& window);

// On a navigation commit: the guard in the browser's page and in each of its frames.
void guardPageScripts(const Browser& browser);

// What a completed page is extracted into.
struct SearchTables {
    PageTable& pages;
    PictureTable& pictures;
    const SiteList& sites;
    const UrlCache* cache;
    PictureOptions options;
    CrawlLimits limits;
    PicturesAwaitingType* awaiting = nullptr; // pictures known by their server's type
};

// A completion reported by the browser of slot: counts it, resets the slot at the
// eleventh, else extracts pictures and links and marks the slot's row. A failed navigation
// marks its row "下载出错" and gives nothing. A row is marked only while it is still
// "正在下载", so a row put back into the queue meanwhile is searched again.
void handleDocumentComplete(BrowserSlots& browserSlots, int slot, const QString& address,
                            SearchTables& tables);
