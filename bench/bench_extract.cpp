// One large page's extraction and harvest, and a picture table of a million rows.
// Run by hand: build/bench_extract

#include "extract/link_harvest.h"
#include "extract/picture_rows.h"
#include "links/site_scope.h"
#include "lists/page_table.h"
#include "lists/picture_table.h"
#include "resident_memory.h"
#include "text/size_format.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int pageImages = 5000;
constexpr int pageLinks = 5000;
constexpr int styleBytes = 200 * 1024;
constexpr int tableRows = 1'000'000;

// The page: IMG elements (every tenth picture twice), links (a quarter to another site), a
// style block of url(...) rules, and the markup that holds them all. The elements are also
// listed in document order, as the walk reads every element for the present-day sources.
DocumentPtr largePage()
{
    DocumentData data;
    data.url = QStringLiteral("http://www.h.com/gallery/index.htm");
    data.location = data.url;
    data.title = QStringLiteral("Gallery");
    QString markup = QStringLiteral("<html><head><title>Gallery</title><style>\n");
    for (int rule = 0; markup.size() < styleBytes; ++rule)
        markup += QStringLiteral(".r%1{background:url(../bg/r%1.gif) no-repeat;color:#123}\n").arg(rule);
    markup += QStringLiteral("</style></head><body>\n");
    for (int i = 0; i < pageImages; ++i) {
        const QString src = QStringLiteral("http://www.h.com/gallery/p%1.jpg").arg(i % 10 == 0 ? 0 : i);
        data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), src},
                                                     {QStringLiteral("filesize"), QString::number(1000 + i)}});
        markup += QStringLiteral("<img src=\"p%1.jpg\">\n").arg(i);
    }
    for (int i = 0; i < pageLinks; ++i) {
        const QString href = i % 4 == 0 ? QStringLiteral("http://other.com/%1.htm").arg(i)
                                        : QStringLiteral("http://www.h.com/gallery/page%1.htm").arg(i);
        data.elements.addLink(data.elements.append(QStringLiteral("A"), {{QStringLiteral("href"), href}}));
        markup += QStringLiteral("<a href=\"page%1.htm\">page %1</a>\n").arg(i);
    }
    markup += QStringLiteral("</body></html>");
    data.markup = std::make_shared<const QString>(markup);
    return std::make_shared<const Document>(std::move(data));
}


} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    const DocumentPtr page = largePage();
    out << "page: " << pageImages << " IMG, " << page->links().size() << " links, "
        << page->documentElementOuterHTML().size() / 1024 << " K characters of markup\n";
    SiteList sites;
    sites.addStartSite(page->URL());
    std::vector<double> extractMs;
    std::vector<double> harvestMs;
    int pictures = 0;
    int pages = 0;
    for (int run = 0; run < 7; ++run) {
        PictureTable pictureTable;
        PageTable pageTable;
        QElapsedTimer timer;
        timer.start();
        显示所有图片链接(page, pictureTable, {true, true}, nullptr);
        extractMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        harvestPageLinks(page, pageTable, sites);
        harvestMs.push_back(timer.nsecsElapsed() / 1e6);
        pictures = pictureTable.size();
        pages = pageTable.size();
    }
    std::sort(extractMs.begin(), extractMs.end());
    std::sort(harvestMs.begin(), harvestMs.end());
    out << "显示所有图片链接: " << pictures << " rows, median " << extractMs[3] << " ms (best "
        << extractMs[0] << ")\n";
    out << "harvestPageLinks: " << pages << " rows, median " << harvestMs[3] << " ms (best "
        << harvestMs[0] << ")\n";
    out.flush();

    const double before = residentMegabytes();
    {
        PictureTable table;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < tableRows; ++i) {
            PictureRow row;
            row.fileName = QStringLiteral("picture%1.jpg").arg(i);
            row.address = QStringLiteral("http://www.h.com/gallery/2024/picture%1.jpg").arg(i);
            row.type = QStringLiteral("jpg");
            row.size = formatSizeKb(1000.0 + i);
            table.addRow(row);
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double after = residentMegabytes();
        out << "picture table: " << table.size() << " rows in " << seconds << " s, "
            << qint64(table.size() / seconds) << " rows/s (row texts built in the loop)\n";
        out << "memory: " << (after - before) << " MB resident, "
            << qint64((after - before) * 1024 * 1024 / table.size()) << " bytes per row\n";
    }
    return 0;
}
