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

Restored restoreSearch(SearchSession& session, const StoredSearch& search)
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
    const size_t records = std::max(rows.size(), size_t(std::max(search.pictureRecords, 0)));
    bool picturesWhole = true;
    bool allTaken = true;
    size_t next = 0;
    const auto addUpTo = [&](size_t end) {
        const size_t inMemory = std::max(next, std::min(end, rows.size()));
        if (pictures.addRows(rows.subspan(next, inMemory - next)) != int(inMemory - next))
            picturesWhole = false;
        pictures.rowsArchived(); // they came from the file
        // Rows past those read stay in the file, under the numbers it gives them.
        if (end > inMemory && (!picturesWhole || !pictures.appendArchived(int(end - inMemory))))
            allTaken = false;
        next = end;
    };
    for (const PictureSort& sort : search.sorts) {
        addUpTo(std::clamp(size_t(std::max(sort.records, 0)), next, records));
        if (sort.column < 0 || sort.column >= PictureTable::columnTotal) {
            whole = false;
            continue;
        }
        pictures.sortBy(PictureTable::Column(sort.column), sort.order);
    }
    addUpTo(records);
    // Two clicks on one column in a row are one step in the table.
    if (pictures.sorts().size() != size_t(search.sorts.size()))
        whole = false;
    session.restoreSiteList(search.siteList);
    session.setExtractTitles(search.titles);
    session.setExtractSources(search.sources);
    if (!allTaken)
        return Restored::RowsLeftInFile;
    return whole && picturesWhole ? Restored::AsStored : Restored::Renumbered;
}

QString rowsLeftInFileReason(const QString& path, int rowsInMemory)
{
    return QStringLiteral("cannot resume %1: its first %2 picture rows hold two under one address, so the rows"
                          " after them cannot be kept in the file as it numbers them; it was left as it is"
                          " (with --rows-in-memory above the rows it holds, it resumes whole)")
        .arg(path)
        .arg(rowsInMemory);
}
