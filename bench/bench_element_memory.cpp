// Memory of a snapshot with many elements, run by hand: the resident growth per element of
// a page of links as the net engine snapshots it. The page's text is made before the first
// reading and is shared by the snapshot, so the growth is what the elements and the parse
// leave behind. A page past the element cap keeps the cap's worth; the figure is per element
// kept.
//
//   build/bench_element_memory [LINKS]     (1,000,000 links by default)

#include "platform/html/html_snapshot.h"
#include "platform/url_cache.h"
#include "resident_memory.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype links = argc > 1 ? std::atoll(argv[1]) : 1'000'000;
    QString html = QStringLiteral("<html><body>");
    for (qsizetype i = 0; i < links; ++i)
        html += QStringLiteral("<a href=\"page%1.htm\" class=\"item\">link %1</a>\n").arg(i);
    html += QStringLiteral("</body></html>");
    html.squeeze();
    UrlCache cache;
    const double before = residentMegabytes();
    const DocumentPtr document = parseHtml(html, QUrl(QStringLiteral("http://h.com/big.htm"))).finish({}, cache);
    const double after = residentMegabytes();
    const auto elements = document->allElements().size();
    std::printf("%lld links: %lld elements kept (%lld links), %.1f MB resident growth, %.0f bytes per element, "
                "besides the page's text of %lld characters\n",
                static_cast<long long>(links), static_cast<long long>(elements),
                static_cast<long long>(document->links().size()), after - before,
                (after - before) * 1048576.0 / double(elements),
                static_cast<long long>(document->documentElementOuterHTML().size()));
    return 0;
}
