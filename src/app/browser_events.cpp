#include "app/browser_events.h"

#include "app/browser_slots.h"
#include "links/link_harvest.h"
#include "lists/page_table.h"
#include "platform/browser.h"

#include <array>

void noEnablePop(PageWindow& window)
{
    static const QString javaScript = QStringLiteral("JavaScript");
    static const std::array<std::pair<QString, QString>, 8> guard{{
        {QStringLiteral("window.alert=null;"), javaScript},
        {QStringLiteral("window.confirm=null;"), QString()},
        {QStringLiteral("window.showModalDialog=null;"), QString()},
        {QStringLiteral("window.open=null;"), QString()},
        {QStringLiteral("function alert(){return;}"), QString()},
        {QStringLiteral("function alert(){return;}"), javaScript},
        {QStringLiteral("function confirm(){return;}"), QString()},
        {QStringLiteral("function showModalDialog(){return;}"), QString()},
    }};
    for (const auto& [code, language] : guard)
        window.execScript(code, language);
}

void guardPageScripts(const Browser& browser)
{
    for (const DocumentPtr& document : collectDocuments(browser.document())) {
        if (const std::shared_ptr<PageWindow> window = document->parentWindow())
            noEnablePop(*window);
    }
}

void handleDocumentComplete(BrowserSlots& browserSlots, int slot, const QString& address,
                            SearchTables& tables)
{
    if (!browserSlots.isSlot(slot))
        return;
    BrowserSlot& s = browserSlots.at(slot);
    if (!s.browser)
        return;
    // The completion of a reset that a dispatch has overtaken belongs to no page.
    const QString blank = QStringLiteral("about:blank");
    if (address.compare(blank, Qt::CaseInsensitive) == 0 && !s.isFree())
        return;

    if (s.loaded) {
        ++s.completeCount;
    } else {
        s.doneTime = browserSlots.now();
        s.completeCount = 1;
    }
    if (s.completeCount > completionLimit) {
        browserSlots.wb1初始化(slot);
        return;
    }
    s.loaded = true;

    const bool failed = s.browser->navigationFailed();
    if (!failed) {
        const DocumentPtr document = s.browser->document();
        显示所有图片链接(document, tables.pictures, tables.options, tables.cache, tables.awaiting);
        const int depth = tables.pages.isPosition(s.row) ? tables.pages.row(s.row).depth : 0;
        harvestPageLinks(document, tables.pages, tables.sites, depth, tables.limits);
    }
    if (s.row > 0 && tables.pages.isPosition(s.row)) {
        if (tables.pages.row(s.row).status == PageStatus::Downloading)
            tables.pages.setStatus(s.row, failed ? PageStatus::Failed : PageStatus::Done);
        s.row = 0;
    }
}
