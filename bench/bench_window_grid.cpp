// The window's grid of thumbnails under load, run by hand.
//
//   build/bench_window_grid [ROWS]
//       ROWS pictures (100,000 unless given), each served by the loopback site, scrolled in
//       the grid from top to bottom; prints the longest stall of the event loop and the peak
//       resident memory.
//   build/bench_window_grid --screenshots FOLDER --lang en|zh
//       searches the loopback site in the window and saves list.png and grid.png of it.

#include "app/search_session.h"
#include "app/window/form1.h"
#include "app/window/thumbnail_cache.h"
#include "app/window/window_language.h"
#include "lists/picture_table.h"
#include "resident_memory.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QListView>
#include <QTableView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

constexpr int kHeartbeatMs = 5;
constexpr int kScrollEveryMs = 16; // a wheel held down
constexpr int kPagesPerScroll = 4;

void wait(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The site answers from its own thread, so its sending is not counted as the window's.
struct SiteThread {
    QThread thread;
    QObject home;
    std::unique_ptr<TestSite> site;
    SiteThread()
    {
        thread.start();
        home.moveToThread(&thread);
        QMetaObject::invokeMethod(&home, [this] {
            site = std::make_unique<TestSite>();
            site->listen();
        }, Qt::BlockingQueuedConnection);
    }
    ~SiteThread()
    {
        QMetaObject::invokeMethod(&home, [this] { site.reset(); }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
};

int scrollBench(int rows)
{
    SiteThread server;
    const QByteArray picture = pngPicture(400, 300, 2'000);
    QMetaObject::invokeMethod(&server.home, [&] {
        for (int i = 0; i < rows; ++i)
            server.site->setRoute(QStringLiteral("/t/%1.png").arg(i), {200, "image/png", picture});
    }, Qt::BlockingQueuedConnection);

    Form1 form;
    // The grid is measured here, not the measuring; BENCH_MEASURE=1 lets the measuring fill the
    // rows while the grid scrolls.
    form.session().setMeasuring(qEnvironmentVariableIsSet("BENCH_MEASURE"));
    std::vector<PictureRow> pictures;
    pictures.reserve(size_t(rows));
    for (int i = 0; i < rows; ++i) {
        PictureRow row;
        row.address = server.site->url(QStringLiteral("/t/%1.png").arg(i));
        row.fileName = QStringLiteral("%1.png").arg(i);
        row.type = QStringLiteral("png");
        row.width = QStringLiteral("400");
        row.height = QStringLiteral("300");
        pictures.push_back(row);
    }
    form.session().pictureTable().addRows(pictures);
    form.show();
    form.showPictureView(Form1::PictureViewChoice::Grid);
    wait(500);

    auto* grid = form.findChild<QListView*>(QStringLiteral("PictureGrid"));
    QScrollBar* bar = grid->verticalScrollBar();
    // The grid lays out its cells in batches: the scroll range is whole once it stops growing.
    for (int last = -1; last != bar->maximum();) {
        last = bar->maximum();
        wait(300);
    }
    const QModelIndex lastCell = grid->model()->index(grid->model()->rowCount() - 1, 0);
    QElapsedTimer beat;
    QElapsedTimer total;
    qint64 longest = 0;
    double peak = residentMegabytes();
    int beats = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 gap = beat.restart();
        if (gap > 30 && qEnvironmentVariableIsSet("BENCH_STALLS"))
            std::printf("stall %lld ms at %.2f s, scrolled to %d of %d\n", static_cast<long long>(gap),
                        total.elapsed() / 1000.0, bar->value(), bar->maximum());
        longest = std::max(longest, gap);
        if (++beats % 20 == 0)
            peak = std::max(peak, residentMegabytes());
    });
    QTimer scroller;
    QObject::connect(&scroller, &QTimer::timeout, [&] { bar->setValue(bar->value() + kPagesPerScroll * bar->pageStep()); });
    total.start();
    beat.start();
    heartbeat.start(kHeartbeatMs);
    scroller.start(kScrollEveryMs);
    while (!grid->visualRect(lastCell).intersects(grid->viewport()->rect()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    scroller.stop();
    wait(3'000); // the last screen's thumbnails arrive
    heartbeat.stop();
    peak = std::max(peak, residentMegabytes());
    std::printf("rows %d, scrolled in %.1f s, thumbnails decoded %d, cache %.1f MiB\n", rows,
                total.elapsed() / 1000.0, form.thumbnails().decodesBegun(),
                form.thumbnails().bytesHeld() / 1048576.0);
    std::printf("longest event-loop stall %lld ms (heartbeat %d ms), peak resident %.0f MiB\n",
                static_cast<long long>(longest - kHeartbeatMs), kHeartbeatMs, peak);
    return 0;
}

int screenshots(const QString& folder)
{
    SiteThread server;
    QDir().mkpath(folder);
    Form1 form;
    form.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->setPlainText(server.site->url(QStringLiteral("/")));
    form.show();
    form.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
    wait(12'000);
    form.session().timer1Tick();
    // Sorted by type, so that the header shows its arrow.
    form.findChild<QTableView*>(QStringLiteral("ListView1"))->horizontalHeader()->sectionClicked(PictureTable::Type);
    wait(200);
    if (!form.grab().save(QDir(folder).filePath(QStringLiteral("list.png"))))
        return 1;
    form.showPictureView(Form1::PictureViewChoice::Grid);
    wait(3'000);
    if (!form.grab().save(QDir(folder).filePath(QStringLiteral("grid.png"))))
        return 1;
    form.showPictureView(Form1::PictureViewChoice::Tabs);
    wait(500);
    return form.grab().save(QDir(folder).filePath(QStringLiteral("tabs.png"))) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--screenshots"));
    if (at >= 0) {
        const qsizetype lang = arguments.indexOf(QStringLiteral("--lang"));
        installWindowLanguage(lang >= 0 ? arguments.value(lang + 1) : QStringLiteral("zh"));
        return screenshots(arguments.value(at + 1));
    }
    return scrollBench(arguments.size() > 1 ? arguments.at(1).toInt() : 100'000);
}
