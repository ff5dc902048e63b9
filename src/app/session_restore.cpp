#include "app/session_restore.h"

#include "app/search_session.h"

namespace {

PageStatus resumedStatus(const QString& text)
{
    for (PageStatus kept : {PageStatus::Done, PageStatus::Failed}) {
        if (text == pageStatusText(kept))
            return kept;
    }
    return PageStatus::Waiting;
}

} // namespace

void restoreSearch(SearchSession& session, const StoredSearch& search)
{
    PageTable& pages = session.pageTable();
    for (const StoredPage& page : search.pages) {
        if (pages.addRow(page.title, page.address))
            pages.setStatus(pages.size(), resumedStatus(page.status));
    }
    PictureTable& pictures = session.pictureTable();
    pictures.reserve(pictures.size() + int(search.pictures.size()));
    for (const PictureRow& row : search.pictures)
        pictures.addRow(row);
    session.restoreSiteList(search.siteList);
    session.setExtractTitles(search.titles);
    session.setExtractSources(search.sources);
}
