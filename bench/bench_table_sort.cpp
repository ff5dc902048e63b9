// Filling the picture table and sorting it by header clicks at a million rows.
// Usage: bench_table_sort [rows]   (default 1000000)

#include "lists/picture_table.h"
#include "text/size_format.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <span>
#include <vector>

#include <unistd.h>

namespace {

// Processor seconds of this process: steadier than wall time on a busy machine.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Bytes of this process held in memory (Linux).
double residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    double pages = 0;
    double resident = 0;
    statm >> pages >> resident;
    return resident * double(sysconf(_SC_PAGESIZE));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rows = args.size() > 1 ? args.at(1).toInt() : 1000000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_table_sort [rows]\n");
        return 2;
    }

    // The rows' texts first, so that the insertion is timed alone. Pages hold many pictures
    // each, so titles and sources repeat, as on a real site.
    QRandomGenerator random(20240601); // the same table on every run
    const QStringList types = {QStringLiteral("jpg"), QStringLiteral("gif"), QStringLiteral("png"),
                               QStringLiteral("webp"), QStringLiteral("svg")};
    std::vector<PictureRow> built(rows);
    for (int i = 0; i < rows; ++i) {
        PictureRow& row = built[i];
        const quint32 n = random.generate();
        const int page = int(random.bounded(2000u));
        row.fileName = QStringLiteral("img%1.jpg").arg(n % 1000000007u);
        row.address = QStringLiteral("http://www.example.com/p%1/").arg(i) + row.fileName;
        row.type = types.at(int(n % 5));
        // One row in ten has no size, as when the page did not say it.
        row.size = n % 10 == 0 ? QString() : formatSizeKb(double(n % 50000000u));
        row.title = QStringLiteral("Gallery page %1").arg(page);
        row.source = QStringLiteral("http://www.example.com/gallery/page%1.htm").arg(page);
    }

    PictureTable table;
    const double residentBefore = residentBytes();
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuSeconds();
    for (const PictureRow& row : built)
        table.addRow(row);
    const double seconds = timer.nsecsElapsed() / 1e9;
    cpu = cpuSeconds() - cpu;
    std::printf("%d rows inserted in %.3f s: %.0f rows/s (cpu %.3f s: %.0f rows/s)\n", table.size(), seconds,
                table.size() / seconds, cpu, table.size() / cpu);
    std::printf("%.0f bytes a row (resident growth while inserting)\n",
                (residentBytes() - residentBefore) / table.size());

    {
        // The same rows a page at a time, as a crawl adds them.
        const size_t rowsPerPage = 20;
        PictureTable pages;
        timer.restart();
        cpu = cpuSeconds();
        for (size_t at = 0; at < built.size(); at += rowsPerPage)
            pages.addRows(std::span(built).subspan(at, std::min(rowsPerPage, built.size() - at)));
        const double pageSeconds = timer.nsecsElapsed() / 1e9;
        cpu = cpuSeconds() - cpu;
        std::printf("%d rows inserted %zu at a time in %.3f s: %.0f rows/s (cpu %.3f s: %.0f rows/s)\n", pages.size(),
                    rowsPerPage, pageSeconds, pages.size() / pageSeconds, cpu, pages.size() / cpu);
    }

    const struct {
        int column;
        const char* name;
    } runs[] = {{1, "文件名 (text)"}, {1, "文件名 (text, reversed)"}, {2, "网址 (text)"},
                {3, "类型 (text)"}, {4, "大小[KB] (value)"}, {4, "大小[KB] (value, reversed)"},
                {5, "标题 (text)"}, {6, "来源 (text)"}, {7, "宽度 (text)"}, {9, "下载状态 (text)"}};
    for (const auto& run : runs) {
        timer.restart();
        cpu = cpuSeconds();
        table.sortByColumnClick(run.column);
        std::printf("sort by %-30s %s  %.3f s (cpu %.3f s)\n", run.name,
                    table.sortOrder() == Qt::AscendingOrder ? "ascending " : "descending",
                    timer.nsecsElapsed() / 1e9, cpuSeconds() - cpu);
    }
    return 0;
}
