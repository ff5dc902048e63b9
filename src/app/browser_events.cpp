#include "app/browser_events.h"

#include "app/browser_slots.h"
#include "app/site_rules.h"
#include "extract/link_harvest.h"
#include "lists/page_table.h"
#include "platform/browser.h"
#include "text/address_kinds.h"

#include <algorithm>

std::optional<PageReading> handleDocumentComplete(BrowserSlots& browserSlots, int slot,
                                                  const QString& address, const PageTable& pages)
{
    if (!browserSlots.isSlot(slot))
        return std::nullopt;
    BrowserSlot& s = browserSlots.at(slot);
    if (!s.browser)
        return std::nullopt;
    // The completion of a reset that a dispatch has overtaken belongs to no page.
    if (isAboutBlank(address) && !s.isFree())
        return std::nullopt;

    if (s.loaded) {
        ++s.completeCount;
    } else {
        s.doneTime = browserSlots.now();
        s.completeCount = 1;
    }
    if (s.completeCount > completionLimit) {
        browserSlots.wb1初始化(slot);
        return std::nullopt;
    }
    s.loaded = true;

    PageReading page;
    page.failed = s.browser->navigationFailed();
    if (!page.failed)
        page.document = s.browser->document();
    if (s.row > 0 && pages.isPosition(s.row)) {
        page.row = s.row;
        page.depth = pages.row(s.row).depth;
        s.row = 0; // the row is this completion's to mark
    }
    return page;
}

void readPage(PageReading& page, const UrlCache* cache)
{
    page.pictures = pagePictures(page.document, cache);
    page.links = pageLinks(page.document);
    // Nothing later reads it: where the browser has moved on, the snapshot is freed here
    // rather than on the event loop's thread.
    page.document.reset();
}

bool applyPageReading(PageReading& page, SearchTables& tables)
{
    if (!page.failed) {
        const QList<PictureRow>& rows = page.pictures.rows;
        const qsizetype pictureCount = rows.size();
        const qsizetype end = std::min(pictureCount + page.links.size(), page.applied + kReadingPerTurn);
        if (page.applied < pictureCount) {
            const qsizetype count = std::min(end, pictureCount) - page.applied;
            addPictureRows(std::span(rows).subspan(size_t(page.applied), size_t(count)), tables.pictures,
                           tables.options, tables.awaiting);
        }
        if (end > pictureCount) {
            const qsizetype from = std::max(page.applied, pictureCount) - pictureCount;
            const QStringList links = page.links.mid(from, end - pictureCount - from);
            if (tables.siteRules)
                tables.siteRules->harvest(links, page.depth + 1);
            else
                加入选择显示列表(links, tables.pages, tables.sites, page.depth + 1, tables.limits, tables.queryPages);
        }
        page.applied = end;
        if (end < pictureCount + page.links.size())
            return false;
    }
    if (page.row > 0 && tables.pages.isPosition(page.row)
        && tables.pages.row(page.row).status == PageStatus::Downloading)
        tables.pages.setStatus(page.row, page.failed ? PageStatus::Failed : PageStatus::Done);
    return true;
}
