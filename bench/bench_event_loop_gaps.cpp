// How long the event loop goes unanswered while a search reads one page of hostile markup
// just under the body limit, run by hand. A 10 ms heartbeat timer runs beside a headless
// search of the page (one slot, no harvest beyond it); the longest gap between two beats is
// the longest the window would have been frozen. What follows the last beat is shown apart:
// the headless runner writes its tables there, all at once, which a window never does.
// Each page and thread count runs in a fresh process.
//
//   build/bench_event_loop_gaps                 every page, without and with worker threads
//   build/bench_event_loop_gaps PAGE WORKERS    one run, in this process

#include "app/headless/run_headless.h"
#include "base/worker_threads.h"
#include "site/hostile_site.h"
#include "site/test_site.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct HostilePage {
    const char* name;
    HostileMarkup kind;
};

const HostilePage kPages[] = {
    {"self-closing-divs", HostileMarkup::SelfClosingDivs},
    {"links", HostileMarkup::Links},
    {"pictures", HostileMarkup::Pictures},
};

// The markup repeated up to just under the body limit.
QByteArray fullPage(HostileMarkup kind)
{
    const QByteArray head = "<html><head><title>Hostile</title></head><body>";
    const qint64 room = 32 * 1024 * 1024 - head.size() - 1024; // the fetch keeps up to 32 MiB
    int count = int(room / (hostileMarkup(kind, 1000).size() / 1000));
    QByteArray markup = hostileMarkup(kind, count);
    while (markup.size() > room) {
        count = int(count * 0.98);
        markup = hostileMarkup(kind, count);
    }
    return head + markup;
}

int runOne(const HostilePage& page, int workers)
{
    // The site answers from its own thread, so its sending is not counted as the search's.
    QThread serverThread;
    serverThread.start();
    QObject server;
    server.moveToThread(&serverThread);
    std::unique_ptr<TestSite> site;
    const QByteArray body = fullPage(page.kind);
    QString address;
    QMetaObject::invokeMethod(&server, [&] {
        site = std::make_unique<TestSite>();
        if (site->listen())
            address = site->url(QStringLiteral("/hostile.htm"));
        site->setRoute(QStringLiteral("/hostile.htm"), htmlRoute(body));
    }, Qt::BlockingQueuedConnection);
    if (address.isEmpty())
        return 1;

    QElapsedTimer clock;
    clock.start();
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = qMax(longestGap, now - lastBeat);
        lastBeat = now;
    });
    heartbeat.start();

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = runHeadless({"quorvane", "--headless", "--slots", "1", "--interval", "0", "--hold", "0",
                                    "--timeout", "120", "--max-pages", "1", "--workers", QString::number(workers),
                                    address},
                                   outStream, errStream);
    const qint64 wall = clock.elapsed();
    QMetaObject::invokeMethod(&server, [&] { site.reset(); }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    std::printf("%-20s %8.2f MB %8d %9lld ms %12lld ms %12lld ms %9lld %7d\n", page.name, body.size() / 1e6, workers,
                qlonglong(wall), qlonglong(longestGap), qlonglong(wall - lastBeat), qlonglong(out.count(u'\n')) - 1,
                status);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 2) {
        for (const HostilePage& page : kPages) {
            if (QByteArray(argv[1]) == page.name)
                return runOne(page, QByteArray(argv[2]).toInt());
        }
        std::fprintf(stderr, "no page named %s\n", argv[1]);
        return 2;
    }
    std::printf("%-20s %11s %8s %12s %15s %15s %9s %7s\n", "page", "size", "workers", "search", "longest gap",
                "after last", "pictures", "status");
    std::fflush(stdout);
    for (const HostilePage& page : kPages) {
        for (const int workers : {0, WorkerThreads::defaultCount()}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QString::fromLatin1(page.name), QString::number(workers)});
            child.waitForFinished(-1);
        }
    }
    return 0;
}
