#include "app/headless/run_headless.h"

#include "app/clock.h"
#include "app/atomic_file.h"
#include "app/headless/headless_options.h"
#include "app/headless/search_progress.h"
#include "app/search_session.h"
#include "app/table_formats.h"
#include "extract/url_cache.h"
#include "platform/net/net_engine.h"
#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium/chromium_engine.h"
#endif

#include <QEventLoop>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {

// Runs the search until no row is waiting or loading and every slot is free.
void runSearch(SearchSession& session, const HeadlessOptions& options)
{
    QEventLoop loop;
    auto quitWhenIdle = [&] {
        if (session.isIdle())
            loop.quit();
    };
    QObject::connect(&session, &SearchSession::timerWorkDone, &loop, quitWhenIdle);
    for (int slot = 0; slot < session.slotCount(); ++slot)
        QObject::connect(session.browser(slot), &Browser::documentComplete, &loop, quitWhenIdle);
    session.startSearch(options.addresses.join(QStringLiteral("\r\n")));
    if (session.isIdle())
        return;
    loop.exec();
    session.stopSearch();
}

} // namespace

int runHeadless(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const auto parsed = parseHeadlessArguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        err << error->message << '\n';
        if (error->showUsage)
            err << headlessUsage();
        err.flush();
        return 2;
    }
    const HeadlessOptions& options = std::get<HeadlessOptions>(parsed);

    UrlCache cache;
    std::unique_ptr<QObject> engine;
    std::function<Browser*()> createBrowser;
    TypeProbe* typeProbe = nullptr;
#ifdef QUORVANE_HAVE_WEBENGINE
    if (options.chromium) {
        auto* chromium = new ChromiumEngine(&cache);
        engine.reset(chromium);
        typeProbe = chromium->typeProbe();
        createBrowser = [chromium] { return chromium->createBrowser(chromium); };
    }
#endif
    if (!engine) {
        auto* net = new NetEngine(&cache);
        engine.reset(net);
        typeProbe = net->typeProbe();
        createBrowser = [net] { return net->createBrowser(net); };
    }
    QList<Browser*> browsers;
    for (int slot = 0; slot < options.pace.slotCount; ++slot)
        browsers.append(createBrowser());
    SteadyClock clock;
    SearchSession session(browsers, clock, &cache, options.pace);
    session.setExtractTitles(options.titles);
    session.setExtractSources(options.sources);
    session.setCrawlLimits(options.limits);
    session.setTypeProbe(typeProbe);
    SearchProgress progress(session, err);

    runSearch(session, options);
    progress.finish();

    int status = 0;
    const QByteArray pictures = pictureTableText(session.pictureTable(), options.format);
    if (options.outputFile.isEmpty()) {
        out << QString::fromUtf8(pictures);
        out.flush();
    } else if (const auto failure = writeFileAtomically(options.outputFile, pictures)) {
        err << QStringLiteral("quorvane: cannot write %1: %2").arg(options.outputFile, *failure) << '\n';
        status = 1;
    }
    if (!options.pagesFile.isEmpty()) {
        if (const auto failure = writeFileAtomically(options.pagesFile, pageTableText(session.pageTable(), options.format))) {
            err << QStringLiteral("quorvane: cannot write %1: %2").arg(options.pagesFile, *failure) << '\n';
            status = 1;
        }
    }
    err.flush();
    return status;
}
