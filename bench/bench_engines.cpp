// Three browser slots of each engine on the same loopback site, run by hand: pages per
// second and the peak memory of the program with every process it started (Chromium's
// renderers included). Each engine runs in a process of its own.
//
//   build/bench_engines [pages]            both engines, side by side
//   build/bench_engines net|chromium [pages]
//   build/bench_engines hostile [PAGE]     the Chromium engine on the big hostile pages: the
//                                          time to load, to settle and read, the snapshot
//                                          alone (taken again), and the peak memory

#include "platform/chromium/chromium_browser.h"
#include "platform/chromium/chromium_engine.h"
#include "platform/chromium/chromium_runtime.h"
#include "platform/chromium/snapshot_reader.h"
#include "platform/net/net_engine.h"
#include "platform/url_cache.h"
#include "site/hostile_site.h"
#include "site/picture_bytes.h"
#include "site/test_site.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kSlots = 3;

// Resident kilobytes of a process and, through /proc, of all its descendants.
qint64 residentKb(qint64 root)
{
    QHash<qint64, QList<qint64>> children;
    QHash<qint64, qint64> resident;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        qint64 parent = -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("PPid:"))
                parent = line.mid(5).trimmed().toLongLong();
            else if (line.startsWith("VmRSS:"))
                resident[pid] = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        children[parent].append(pid);
    }
    qint64 total = 0;
    QList<qint64> pending{root};
    while (!pending.isEmpty()) {
        const qint64 pid = pending.takeLast();
        total += resident.value(pid);
        pending += children.value(pid);
    }
    return total;
}

// A site of pages that each show pictures, style and a few links.
void addBenchPages(TestSite& site, int pages)
{
    TestRoute sheet;
    sheet.contentType = "text/css";
    sheet.body = "body { background: url(/bench/bg.gif) } .box { border: 1px solid #ccc }";
    site.setRoute(QStringLiteral("/bench/site.css"), sheet);
    TestRoute picture;
    picture.contentType = "image/gif";
    picture.body = gifPicture(32, 32, 4000);
    for (int i = 0; i < 10; ++i)
        site.setRoute(QStringLiteral("/bench/p%1.gif").arg(i), picture);
    site.setRoute(QStringLiteral("/bench/bg.gif"), picture);
    for (int i = 0; i < pages; ++i) {
        QByteArray html = "<!DOCTYPE html><html><head><title>Page " + QByteArray::number(i)
                          + "</title><link rel=\"stylesheet\" href=\"site.css\"></head><body>";
        for (int p = 0; p < 10; ++p)
            html += "<div class=\"box\"><img src=\"p" + QByteArray::number((i + p) % 10) + ".gif\"><p>Text of the "
                    "picture, as pages have it, with a few more words.</p></div>";
        for (int l = 1; l <= 5; ++l)
            html += "<a href=\"page" + QByteArray::number((i + l) % pages) + ".htm\">next</a>";
        html += "</body></html>";
        TestRoute page;
        page.contentType = "text/html; charset=utf-8";
        page.body = html;
        site.setRoute(QStringLiteral("/bench/page%1.htm").arg(i), page);
    }
}

int runEngine(const QString& engineName, int pages)
{
    TestSite site;
    addBenchPages(site, pages);
    if (!site.listen())
        return 1;
    UrlCache cache;
    std::unique_ptr<QObject> engine;
    std::function<Browser*()> create;
    if (engineName == QLatin1String("chromium")) {
        auto* chromium = new ChromiumEngine(&cache);
        engine.reset(chromium);
        create = [chromium] { return chromium->createBrowser(chromium); };
    } else {
        auto* net = new NetEngine(&cache);
        engine.reset(net);
        create = [net] { return net->createBrowser(net); };
    }

    qint64 peakKb = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peakKb = qMax(peakKb, residentKb(QCoreApplication::applicationPid())); });
    sampler.start(100);

    int next = 0;
    int done = 0;
    QElapsedTimer clock;
    QList<Browser*> browsers;
    for (int slot = 0; slot < kSlots; ++slot)
        browsers.append(create());
    auto dispatch = [&](Browser* browser) {
        if (next < pages)
            browser->navigate(site.url(QStringLiteral("/bench/page%1.htm").arg(next++)));
    };
    for (Browser* browser : std::as_const(browsers)) {
        QObject::connect(browser, &Browser::documentComplete, browser, [&, browser] {
            if (++done == pages)
                QCoreApplication::quit();
            else
                dispatch(browser);
        });
    }
    QTimer bound;
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    bound.start(600'000);
    clock.start();
    for (Browser* browser : std::as_const(browsers))
        dispatch(browser);
    const int status = QCoreApplication::exec();
    const double seconds = clock.elapsed() / 1000.0;
    peakKb = qMax(peakKb, residentKb(QCoreApplication::applicationPid()));
    std::printf("%-8s %d slots  %4d pages  %7.2f s  %8.2f pages/s  peak %7.1f MiB\n", qPrintable(engineName),
                kSlots, done, seconds, done / seconds, peakKb / 1024.0);
    return status;
}

QByteArray iframes(int count)
{
    return QByteArray("<iframe src=\"/big.htm?frame\"></iframe>").repeated(count);
}

struct HostileBenchPage {
    const char* name;
    QByteArray (*markup)();
};

const HostileBenchPage kHostilePages[] = {
    {"links-1000000", [] { return hostileMarkup(HostileMarkup::Links, 1'000'000); }},
    // Under the memory bound, past the snapshot's cap: the last picture comes from the bytes.
    {"links-250000-then-picture", [] { return hostileMarkup(HostileMarkup::Links, 250'000) + "<img src=\"last.gif\">"; }},
    {"pictures-100000", [] { return hostileMarkup(HostileMarkup::Pictures, 100'000); }},
    {"formatting-amplifier", [] { return hostileMarkup(HostileMarkup::FormattingAmplifier, 20'000); }},
    {"self-closing-divs-250000", [] { return hostileMarkup(HostileMarkup::SelfClosingDivs, 250'000); }},
    {"empty-comment-divs-250000", [] { return hostileMarkup(HostileMarkup::EmptyCommentThenDivs, 250'000); }},
    {"iframes-10000", [] { return iframes(10'000); }},
};

qint64 elementCount(const DocumentPtr& document)
{
    if (!document)
        return 0;
    qint64 count = document->allElements().size() + elementCount(document->restOfPage());
    for (const DocumentPtr& frame : document->frames())
        count += elementCount(frame);
    return count;
}

qint64 pictureCount(const DocumentPtr& document)
{
    return document ? document->getElementsByTagName(QStringLiteral("IMG")).size() + pictureCount(document->restOfPage()) : 0;
}

int runHostile(const HostileBenchPage& page)
{
    TestSite site;
    site.setRoute(QStringLiteral("/big.htm"),
                  htmlRoute("<html><head><title>Big</title></head><body>" + page.markup()));
    site.setRoute(QStringLiteral("/big.htm?frame"), htmlRoute("<p>frame</p>"));
    if (!site.listen())
        return 1;
    UrlCache cache;
    ChromiumEngine engine(&cache);
    std::unique_ptr<Browser> browser(engine.createBrowser(nullptr));
    qint64 peakKb = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peakKb = qMax(peakKb, residentKb(QCoreApplication::applicationPid())); });
    sampler.start(100);
    QElapsedTimer clock;
    qint64 loaded = -1;
    qint64 completed = -1;
    QObject::connect(browser.get(), &Browser::navigateComplete2, [&] { loaded = clock.elapsed(); });
    QObject::connect(browser.get(), &Browser::documentComplete, [&] {
        completed = clock.elapsed();
        QCoreApplication::quit();
    });
    QTimer bound;
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    bound.start(300'000);
    clock.start();
    browser->navigate(site.url(QStringLiteral("/big.htm")));
    QCoreApplication::exec();
    const DocumentPtr document = browser->document();

    // The snapshot alone, once more on the settled page.
    auto* chromium = qobject_cast<ChromiumBrowser*>(browser.get());
    auto* view = chromium ? qobject_cast<QWebEngineView*>(chromium->view()) : nullptr;
    double snapshotMs = -1;
    if (view && view->page()) {
        QElapsedTimer snapshot;
        SnapshotReader reader(view->page(), nullptr);
        QObject::connect(&reader, &SnapshotReader::read, [&] {
            snapshotMs = double(snapshot.elapsed());
            QCoreApplication::quit();
        });
        // A page whose renderer was killed may never answer: the reading gets a bound of its own.
        bound.start(30'000);
        snapshot.start();
        reader.start();
        QCoreApplication::exec();
    }
    peakKb = qMax(peakKb, residentKb(QCoreApplication::applicationPid()));
    std::printf("%-26s %8.1f s %8.1f s %10.1f s %9lld %9lld %6s %9.0f MiB\n", page.name, loaded / 1000.0,
                (completed - loaded) / 1000.0, snapshotMs / 1000.0, qlonglong(elementCount(document)),
                qlonglong(pictureCount(document)),
                browser->navigationFailed() ? "failed" : "read", peakKb / 1024.0);
    return 0;
}

int runHostilePages(const char* program, const QString& only)
{
    std::printf("%-26s %10s %10s %12s %9s %9s %6s %13s\n", "page", "load", "settle+read", "snapshot",
                "elements", "IMG", "page", "peak memory");
    std::fflush(stdout);
    for (const HostileBenchPage& page : kHostilePages) {
        if (!only.isEmpty() && only != QLatin1String(page.name))
            continue;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(program), {QStringLiteral("hostile-one"), QString::fromLatin1(page.name)});
        child.waitForFinished(-1);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (first == QLatin1String("hostile"))
        return runHostilePages(argv[0], argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (first == QLatin1String("hostile-one") && argc > 2) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        prepareChromiumRuntime();
        QApplication app(argc, argv);
        for (const HostileBenchPage& page : kHostilePages) {
            if (QByteArray(argv[2]) == page.name)
                return runHostile(page);
        }
        return 2;
    }
    if (first == QLatin1String("net") || first == QLatin1String("chromium")) {
        const int pages = argc > 2 ? QByteArray(argv[2]).toInt() : 60;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        prepareChromiumRuntime();
        QApplication app(argc, argv);
        return runEngine(first, qMax(pages, 1));
    }
    const QString pages = first.isEmpty() ? QStringLiteral("60") : first;
    for (const char* engine : {"net", "chromium"}) {
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        run.start(QString::fromLocal8Bit(argv[0]), {QString::fromLatin1(engine), pages});
        run.waitForFinished(-1);
    }
    return 0;
}
