#include "app/session_restore.h"

#include "app/search_session.h"

#include <algorithm>
#include <span>

namespace {

// A page that was loading when the search broke off waits again.
PageStatus resumedStatus(PageStatus stored)
{
    return stored == PageStatus::Downloading ? PageStatus::Waiting : stored;
}

} // namespace

bool restoreSearch(SearchSession& session, const StoredSearch& search)
{
    bool whole = true;
    PageTable& pages = session.pageTable();
    for (const StoredPage& page : search.pages) {
        if (pages.addRow(page.title, page.address, page.depth))
            pages.setStatus(pages.size(), resumedStatus(page.status));
        else
            whole = false;
    }
    // The records as they were added, each click replayed over the rows there were then:
    // rows with equal keys keep the order the clicks before gave them.
    PictureTable& pictures = session.pictureTable();
    pictures.reserve(pictures.size() + int(search.pictures.size()));
    const std::span<const PictureRow> rows(search.pictures.constData(), size_t(search.pictures.size()));
    size_t next = 0;
    const auto addUpTo = [&](size_t end) {
        if (pictures.addRows(rows.subspan(next, end - next)) != int(end - next))
            whole = false;
        next = end;
    };
    for (const PictureSort& sort : search.sorts) {
        addUpTo(std::clamp(size_t(std::max(sort.records, 0)), next, rows.size()));
        if (sort.column < 0 || sort.column >= PictureTable::columnTotal) {
            whole = false;
            continue;
        }
        pictures.sortBy(PictureTable::Column(sort.column), sort.order);
    }
    addUpTo(rows.size());
    // Two clicks on one column in a row are one step in the table.
    if (pictures.sorts().size() != size_t(search.sorts.size()))
        whole = false;
    session.restoreSiteList(search.siteList);
    session.setExtractTitles(search.titles);
    session.setExtractSources(search.sources);
    return whole;
}
