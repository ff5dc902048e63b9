// The large hostile pages, run by hand: for each, the time from the bytes to the snapshot,
// the picture walk and the link harvest, and the peak memory of a process that does only
// that. Every page runs in a fresh process, so one page's peak does not hide another's.
// "gumbo peak" is the peak after the parser alone has run on the page (and freed its tree).
//
//   build/bench_hostile_pages           every page
//   build/bench_hostile_pages PAGE      one page, in this process

#include "extract/document_walk.h"
#include "extract/link_harvest.h"
#include "links/site_scope.h"
#include "lists/page_table.h"
#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/nesting_guard.h"
#include "platform/url_cache.h"
#include "site/hostile_site.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gumbo.h>
#include <sys/resource.h>

#include <cstdio>

namespace {

struct HostilePage {
    const char* name;
    HostileMarkup kind;
    int count;
};

const HostilePage kPages[] = {
    {"links-1000000", HostileMarkup::Links, 1'000'000},
    {"pictures-100000", HostileMarkup::Pictures, 100'000},
    {"formatting-amplifier", HostileMarkup::FormattingAmplifier, 20'000},
    {"self-closing-divs-250000", HostileMarkup::SelfClosingDivs, 250'000},
    {"empty-comment-divs-250000", HostileMarkup::EmptyCommentThenDivs, 250'000},
};

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int runOne(const HostilePage& page)
{
    const QByteArray bytes = "<html><head><title>Hostile</title></head><body>" + hostileMarkup(page.kind, page.count);
    const QUrl address(QStringLiteral("http://127.0.0.1:8080/hostile.htm"));
    UrlCache cache;
    SiteList sites;
    sites.addStartSite(address.toString());
    PageTable pages;

    // The parser's share: the guard and gumbo alone, on the same bytes.
    QElapsedTimer timer;
    timer.start();
    QByteArray guarded = bytes;
    limitNesting(guarded);
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // as the snapshot parses
    GumboOutput* output = gumbo_parse_with_options(&options, guarded.constData(), size_t(guarded.size()));
    gumbo_destroy_output(&options, output);
    const double gumbo = timer.nsecsElapsed() / 1e6;
    const double gumboPeak = peakMiB();

    timer.start();
    const DocumentPtr document = parseHtml(decodeHtml(bytes, "text/html"), address).finish({}, cache);
    const double parsed = timer.nsecsElapsed() / 1e6;
    CandidateList candidates;
    提取网页全部图片连接(document, candidates, &cache);
    harvestPageLinks(document, pages, sites);
    const double walked = timer.nsecsElapsed() / 1e6;

    std::printf("%-28s %7.2f MB %9.0f ms %9.0f ms %9.0f ms %9lld %9lld %9.0f MiB %9.0f MiB\n", page.name,
                bytes.size() / 1e6, gumbo, parsed, walked, qlonglong(candidates.size()), qlonglong(pages.rowCount()),
                gumboPeak, peakMiB());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1) {
        for (const HostilePage& page : kPages) {
            if (QByteArray(argv[1]) == page.name)
                return runOne(page);
        }
        std::fprintf(stderr, "no page named %s\n", argv[1]);
        return 2;
    }
    std::printf("%-28s %10s %12s %12s %12s %9s %9s %13s %13s\n", "page", "size", "gumbo only", "snapshot",
                "+walked", "pictures", "pages", "gumbo peak", "peak memory");
    std::fflush(stdout);
    for (const HostilePage& page : kPages) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(page.name)});
        child.waitForFinished(-1);
    }
    return 0;
}
