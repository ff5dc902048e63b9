// The search store's write throughput, the time the recorder takes on the event loop's
// thread, what the file answers as a table's archive, and a loopback crawl with and without
// --session.
// Run by hand: build/bench_store [path of the quorvane program, default ./quorvane]

#include "app/clock.h"
#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/session_restore.h"
#include "site/test_site.h"
#include "store/search_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <limits>

#include <sys/resource.h>

namespace {

constexpr int tableRows = 100'000;
constexpr int sortedRows = 1'000'000;
constexpr int crawlPages = 400;
constexpr int picturesPerPage = 8;
constexpr int crawlRounds = 5;

PictureRow picture(int i)
{
    const QString address = QStringLiteral("http://www.h.com/gallery/%1/p%2.jpg").arg(i / 100).arg(i);
    return {address.section(u'/', -1), address, QStringLiteral("jpg"), QStringLiteral("1.500"),
            QStringLiteral("图库 %1").arg(i / 100), QStringLiteral("http://www.h.com/gallery/%1/").arg(i / 100),
            {}, {}, {}};
}

void measureWrites(const QString& folder)
{
    for (const int batchRows : {1, 10, 100, 1000}) {
        const int rows = batchRows == 1 ? 5'000 : tableRows;
        const QString path = QStringLiteral("%1/writes-%2.sqlite").arg(folder).arg(batchRows);
        auto opened = openSearchStore(path);
        if (auto* reason = std::get_if<QString>(&opened)) {
            std::printf("cannot open %s: %s\n", qPrintable(path), qPrintable(*reason));
            return;
        }
        SearchStore& store = *std::get<std::unique_ptr<SearchStore>>(opened);
        QElapsedTimer timer;
        timer.start();
        for (int first = 0; first < rows; first += batchRows) {
            StoreBatch batch;
            for (int i = first; i < first + batchRows && i < rows; ++i) {
                batch.pictures.insert(i, picture(i));
                batch.pages.insert(i + 1, {QStringLiteral("1"), picture(i).source + QString::number(i),
                                           PageStatus::Done, 1});
            }
            if (auto failure = store.write(batch)) {
                std::printf("write failed: %s\n", qPrintable(*failure));
                return;
            }
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("writes, %5d rows per transaction: %7d picture+page rows in %.3f s = %.0f rows/s\n",
                    batchRows, rows, seconds, rows / seconds);
    }
}

double millisecondsOf(const auto& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// What a table holding only its first rows asks of the file: the records under a new row's key
// hash (most rows are new, so most asks find nothing), and a sort of every record.
void measureArchive(const PictureArchive& archive, const PictureTable& table)
{
    constexpr int lookups = 200'000;
    const int records = table.size();
    for (const bool present : {true, false}) {
        std::vector<qint64> hashes;
        for (int i = 0; i < lookups; ++i)
            hashes.push_back(PictureTable::storedKeyHash(picture(present ? (i * 7919) % records : records + i).address));
        size_t found = 0;
        const double ms = millisecondsOf([&] {
            for (const qint64 hash : hashes)
                found += archive.recordsWithKeyHash(hash).value_or(std::vector<std::pair<quint32, QString>>()).size();
        });
        std::printf("archive of %d rows: %d key-hash asks for %s rows in %.0f ms = %.0f asks/s (%zu found)\n",
                    records, lookups, present ? "filed" : "new", ms, lookups / ms * 1000, found);
    }
    std::vector<quint32> rowOfRecord;
    for (int record = 0; record < records; ++record)
        rowOfRecord.push_back(quint32(table.rowOfRecord(quint32(record))));
    for (const PictureTable::Column column : {PictureTable::Address, PictureTable::Title}) {
        std::optional<std::vector<quint32>> order;
        const double ms = millisecondsOf([&] { order = archive.orderedRecords(column, true, quint32(records), rowOfRecord); });
        std::printf("archive of %d rows: sort by column %d in %.0f ms (%s)\n", records, int(column), ms,
                    order ? "all records" : "failed");
    }
}

// What the recorder holds up the event loop for: the write of 100,000 new rows, and a
// header click on a table of a million (the sort itself, then the write it causes).
void measureRecorder(const QString& folder)
{
    auto opened = openSearchStore(folder + QStringLiteral("/recorder.sqlite"));
    if (auto* reason = std::get_if<QString>(&opened)) {
        std::printf("cannot open the recorder's file: %s\n", qPrintable(*reason));
        return;
    }
    SearchStore& store = *std::get<std::unique_ptr<SearchStore>>(opened);
    SteadyClock clock;
    SearchSession session({}, clock, nullptr);
    SessionRecorder recorder(session, store);
    PictureTable& table = session.pictureTable();
    std::vector<PictureRow> rows;
    for (int i = 0; i < sortedRows; ++i)
        rows.push_back(picture(i));
    table.addRows(std::span(rows).first(tableRows));
    std::printf("recorder, event-loop thread: write of %d new rows %.0f ms\n", tableRows,
                millisecondsOf([&] { recorder.flush(); }));
    table.addRows(std::span(rows).subspan(tableRows));
    recorder.flush();
    for (const int column : {2, 2, 4}) {
        const double sortMs = millisecondsOf([&] { table.sortByColumnClick(column); });
        const double writeMs = millisecondsOf([&] { recorder.flush(); });
        std::printf("recorder, event-loop thread: click on column %d of %d rows: sort %.0f ms, its write %.0f ms\n",
                    column, table.size(), sortMs, writeMs);
    }
    // A resumed search reads the file and replays the clicks over the rows.
    std::variant<StoredSearch, QString> stored;
    const double readMs = millisecondsOf([&] { stored = store.read(std::numeric_limits<int>::max()); });
    SearchSession resumed({}, clock, nullptr);
    const double restoreMs = millisecondsOf([&] { restoreSearch(resumed, std::get<StoredSearch>(stored)); });
    std::printf("resume of %d rows and %zu clicks: read %.0f ms, restore %.0f ms\n", resumed.pictureTable().size(),
                table.sorts().size(), readMs, restoreMs);
    if (const PictureArchive* archive = store.pictureArchive())
        measureArchive(*archive, table);
}

void addCrawlSite(TestSite& site)
{
    for (int page = 0; page < crawlPages; ++page) {
        QString body = QStringLiteral("<html><head><title>Page %1</title></head><body>").arg(page);
        for (int i = 0; i < picturesPerPage; ++i)
            body += QStringLiteral("<img src=\"img/%1-%2.gif\">").arg(page).arg(i);
        for (int child : {2 * page + 1, 2 * page + 2}) {
            if (child < crawlPages)
                body += QStringLiteral("<a href=\"p%1.htm\">next</a>").arg(child);
        }
        site.setRoute(QStringLiteral("/b/p%1.htm").arg(page),
                      TestRoute{200, "text/html", (body + "</body></html>").toUtf8(), {}, false});
    }
}

// CPU time (user and system) of the finished child processes so far, in milliseconds. On a
// machine shared with other work this says more than the wall clock.
qint64 childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

struct Run {
    qint64 wallMs = -1; // -1 when it failed
    qint64 cpuMs = -1;
};

// One whole run of the program.
Run crawl(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QEventLoop loop; // the site answers from this loop while the program runs
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(600'000, &loop, &QEventLoop::quit);
    const qint64 cpuBefore = childCpuMs();
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    loop.exec();
    if (process.state() != QProcess::NotRunning || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(5000);
        return {};
    }
    return {timer.elapsed(), childCpuMs() - cpuBefore};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("./quorvane");
    QTemporaryDir folder;
    measureWrites(folder.path());
    measureRecorder(folder.path());

    TestSite site;
    if (!site.listen())
        return 1;
    addCrawlSite(site);
    const QStringList common{"--headless", "--interval", "0", "--hold", "0", "--slots", "3",
                             "--output", folder.filePath("pictures.tsv"), site.url("/b/p0.htm")};
    QList<Run> plain;
    QList<Run> stored;
    for (int round = 0; round < crawlRounds; ++round) {
        plain << crawl(program, common);
        stored << crawl(program, common + QStringList{"--session", folder.filePath(QStringLiteral("crawl-%1.sqlite").arg(round))});
    }
    std::printf("loopback crawl, %d pages, %d pictures, --interval 0, alternating runs (median, min):\n",
                crawlPages, crawlPages * picturesPerPage);
    for (auto [name, runs] : {std::pair{"without --session", &plain}, std::pair{"with    --session", &stored}}) {
        QList<qint64> wall;
        QList<qint64> cpu;
        for (const Run& run : *runs) {
            wall << run.wallMs;
            cpu << run.cpuMs;
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        std::printf("  %s: wall %lld ms (%lld), CPU %lld ms (%lld)\n", name, wall.at(crawlRounds / 2),
                    wall.first(), cpu.at(crawlRounds / 2), cpu.first());
    }
    return 0;
}
