// The bytes of a page, through the snapshot, the picture walk and the link harvest, as a
// completed page of the net engine goes. Run with -timeout=2: no page may take longer.
#include "fuzz_input.h"

#include "extract/document_walk.h"
#include "extract/link_harvest.h"
#include "links/site_scope.h"
#include "lists/page_table.h"
#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/nesting_guard.h"
#include "platform/url_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const UrlCache cache; // empty: one temporary folder for the whole run
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QUrl address(QStringLiteral("http://fuzz.example/dir/page.htm"));

    QByteArray guarded = bytes;
    limitNesting(guarded);
    require(guarded.size() <= bytes.size());

    const DocumentPtr document = parseHtml(decodeHtml(bytes, "text/html"), address).finish({}, cache);
    require(document != nullptr);
    CandidateList candidates;
    提取网页全部图片连接(document, candidates, &cache);
    require(candidates.sizes.size() == candidates.size() && candidates.titles.size() == candidates.size()
            && candidates.sources.size() == candidates.size());

    SiteList sites;
    sites.addStartSite(address.toString());
    PageTable pages;
    harvestPageLinks(document, pages, sites);
    // A page adds no more pages than it has links, frames and script text can name.
    require(pages.size() <= document->links().size() + qsizetype(size));
    return 0;
}
