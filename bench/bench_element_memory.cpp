// Memory of a snapshot with many elements, run by hand: the resident growth per element of
// a page of links as the net engine snapshots it (just under the element cap).
//
//   build/bench_element_memory

#include "resident_memory.h"
#include "extract/url_cache.h"
#include "platform/net/html_snapshot.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype links = kMaxElements - 10'000;
    QString html = QStringLiteral("<html><body>");
    for (qsizetype i = 0; i < links; ++i)
        html += QStringLiteral("<a href=\"page%1.htm\" class=\"item\">link %1</a>\n").arg(i);
    html += QStringLiteral("</body></html>");
    UrlCache cache;
    const double before = residentMegabytes();
    const DocumentPtr document = parseHtml(html, QUrl(QStringLiteral("http://h.com/big.htm"))).finish({}, cache);
    const double after = residentMegabytes();
    const auto elements = document->allElements().size();
    std::printf("%lld elements (%lld links), %.1f MB resident growth, %.0f bytes per element, "
                "markup of %lld characters included\n",
                static_cast<long long>(elements), static_cast<long long>(document->links().size()),
                after - before, (after - before) * 1048576.0 / double(elements),
                static_cast<long long>(document->documentElementOuterHTML().size()));
    return 0;
}
