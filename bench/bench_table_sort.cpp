// Sorting the picture table by header clicks at a million rows.
// Usage: bench_table_sort [rows]   (default 1000000)

#include "lists/picture_table.h"
#include "lists/size_format.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rows = args.size() > 1 ? args.at(1).toInt() : 1000000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_table_sort [rows]\n");
        return 2;
    }

    QRandomGenerator random(20240601); // the same table on every run
    PictureTable table;
    table.reserve(rows);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i) {
        PictureRow row;
        const quint32 n = random.generate();
        row.fileName = QStringLiteral("img%1.jpg").arg(n % 1000000007u);
        row.address = QStringLiteral("http://www.example.com/p%1/").arg(i) + row.fileName;
        row.type = QStringLiteral("JPG");
        // One row in ten has no size, as when the page did not say it.
        row.size = n % 10 == 0 ? QString() : formatSizeKb(double(n % 50000000u));
        table.addRow(row);
    }
    std::printf("%d rows built in %.3f s\n", table.size(), timer.nsecsElapsed() / 1e9);

    const struct {
        int column;
        const char* name;
    } runs[] = {{1, "文件名 (text)"}, {1, "文件名 (text, reversed)"}, {2, "网址 (text)"},
                {4, "大小[KB] (value)"}, {4, "大小[KB] (value, reversed)"}};
    for (const auto& run : runs) {
        timer.restart();
        table.sortByColumnClick(run.column);
        std::printf("sort by %-30s %s  %.3f s\n", run.name,
                    table.sortOrder() == Qt::AscendingOrder ? "ascending " : "descending",
                    timer.nsecsElapsed() / 1e9);
    }
    return 0;
}
