// Snapshot building of the net engine, run by hand: MB of HTML per second from the bytes
// of a large generated page (5,000 pictures, 5,000 links) to the finished document, and
// gumbo's own parse rate on the same bytes. Given a folder, the same for every .html page
// under it (a real site), taken together.
//
//   build/bench_snapshot [rounds] [folder]

#include "platform/html/html_charset.h"
#include "platform/html/html_snapshot.h"
#include "platform/html/nesting_guard.h"
#include "platform/html/thinned_markup.h"
#include "platform/url_cache.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <gumbo.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray largePage()
{
    QByteArray html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Large page</title>\n"
                      "<link rel=\"stylesheet\" href=\"css/site.css\">\n"
                      "<style>.banner{background:url(img/banner.gif) no-repeat}</style></head>\n"
                      "<body background=\"img/bg.gif\">\n<table>\n";
    for (int i = 0; i < 5000; ++i) {
        html += "<tr><td background=\"img/cell" + QByteArray::number(i % 50) + ".gif\">";
        html += "<a href=\"pages/item" + QByteArray::number(i) + ".htm?ref=list&amp;page=" + QByteArray::number(i / 100)
                + "\" title=\"Item " + QByteArray::number(i) + "\">Item number " + QByteArray::number(i) + " — 图片</a>";
        html += "</td><td><img src=\"img/photo" + QByteArray::number(i) + ".jpg\" alt=\"Photo " + QByteArray::number(i)
                + "\" width=\"120\" height=\"90\"><p class=\"caption\" style=\"color:#333\">A caption with some words "
                  "to read, as pages have them.</p></td></tr>\n";
    }
    html += "</table>\n</body></html>\n";
    return html;
}

// The median of the rounds' times, in seconds.
double medianSeconds(int rounds, const std::function<void()>& work)
{
    std::vector<double> seconds;
    work(); // warm-up
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds.at(seconds.size() / 2);
}

void report(const char* what, qsizetype bytes, double seconds)
{
    std::printf("%-44s %8.2f ms  %8.1f MB/s\n", what, seconds * 1e3, bytes / 1e6 / seconds);
}

struct SitePage {
    QByteArray bytes;
    QString text;
    QUrl address;
};

std::vector<SitePage> sitePages(const QString& folder)
{
    std::vector<SitePage> pages;
    QDirIterator files(folder, {QStringLiteral("*.html"), QStringLiteral("*.htm")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        SitePage page;
        page.bytes = file.readAll();
        page.text = decodeHtml(page.bytes, "text/html");
        page.address = QUrl(QStringLiteral("http://127.0.0.1:8080/") + QDir(folder).relativeFilePath(path));
        pages.push_back(std::move(page));
    }
    return pages;
}

int benchSite(int rounds, const QString& folder)
{
    const std::vector<SitePage> pages = sitePages(folder);
    qsizetype bytes = 0;
    for (const SitePage& page : pages)
        bytes += page.bytes.size();
    std::printf("site: %zu pages, %.2f MB; median of %d rounds\n\n", pages.size(), bytes / 1e6, rounds);
    report("parse and snapshot", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages)
                   (void)parseHtml(page.text, page.address);
           }));
    report("  of which: nesting guard", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages) {
                   QByteArray copy = page.bytes;
                   limitNesting(copy);
               }
           }));
    report("  of which: thinning text, values and tags", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages)
                   (void)ThinnedMarkup(page.bytes);
           }));
    report("  of which: the text back to UTF-8", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages)
                   (void)page.text.toUtf8();
           }));
    report("decoding the bytes (before the parse)", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages)
                   (void)decodeHtml(page.bytes, "text/html");
           }));
    UrlCache cache;
    std::vector<ParsedPage> parsed;
    for (const SitePage& page : pages)
        parsed.push_back(parseHtml(page.text, page.address));
    std::vector<DocumentPtr> documents;
    report("finishing the snapshot (after its pictures)", bytes, medianSeconds(rounds, [&] {
               documents.clear();
               for (const ParsedPage& page : parsed)
                   documents.push_back(ParsedPage(page).finish({}, cache));
           }));
    GumboOptions noErrors = kGumboDefaultOptions;
    noErrors.max_errors = 0;
    report("gumbo_parse alone (no error records)", bytes, medianSeconds(rounds, [&] {
               for (const SitePage& page : pages) {
                   GumboOutput* output = gumbo_parse_with_options(&noErrors, page.bytes.constData(), size_t(page.bytes.size()));
                   gumbo_destroy_output(&noErrors, output);
               }
           }));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    if (argc > 2)
        return benchSite(rounds, QString::fromLocal8Bit(argv[2]));
    const QByteArray bytes = largePage();
    const QUrl address(QStringLiteral("http://127.0.0.1:8080/list/large.htm"));
    UrlCache cache;

    std::printf("page: %.2f MB, 5000 IMG, 5000 A, 5000 TD with background; median of %d rounds\n\n",
                bytes.size() / 1e6, rounds);

    DocumentPtr document;
    report("bytes to finished document", bytes.size(), medianSeconds(rounds, [&] {
               document = parseHtml(decodeHtml(bytes, "text/html"), address).finish({}, cache);
           }));
    std::printf("  (%lld IMG, %lld links in the snapshot)\n",
                qlonglong(document->getElementsByTagName(QStringLiteral("IMG")).size()),
                qlonglong(document->links().size()));

    const QString text = decodeHtml(bytes, "text/html");
    report("  of which: decoding", bytes.size(), medianSeconds(rounds, [&] { (void)decodeHtml(bytes, "text/html"); }));
    report("  of which: nesting guard", bytes.size(), medianSeconds(rounds, [&] {
               QByteArray copy = bytes;
               limitNesting(copy);
           }));
    report("  of which: parse and snapshot", bytes.size(), medianSeconds(rounds, [&] {
               (void)parseHtml(text, address).finish({}, cache);
           }));

    report("gumbo_parse alone (default options)", bytes.size(), medianSeconds(rounds, [&] {
               GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(), size_t(bytes.size()));
               gumbo_destroy_output(&kGumboDefaultOptions, output);
           }));
    GumboOptions noErrors = kGumboDefaultOptions;
    noErrors.max_errors = 0;
    report("gumbo_parse alone (no error records)", bytes.size(), medianSeconds(rounds, [&] {
               GumboOutput* output = gumbo_parse_with_options(&noErrors, bytes.constData(), size_t(bytes.size()));
               gumbo_destroy_output(&noErrors, output);
           }));
    return 0;
}
