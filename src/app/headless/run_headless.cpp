#include "app/headless/run_headless.h"

#include "app/atomic_file.h"
#include "app/clock.h"
#include "app/engines/engine_factory.h"
#include "app/headless/headless_downloads.h"
#include "app/headless/headless_options.h"
#include "app/headless/search_progress.h"
#include "app/headless/stop_signals.h"
#include "app/search_session.h"
#include "app/session_recorder.h"
#include "app/session_restore.h"
#include "app/table_formats.h"
#include "base/worker_threads.h"
#include "platform/browser.h"
#include "platform/http/curl_session.h"
#include "platform/http/net_site_files.h"
#include "platform/url_cache.h"

#include <QEventLoop>
#include <QIODevice>
#include <QTextStream>

#include <optional>
#include <memory>
#include <vector>

namespace {

// Runs the search until no row is waiting or loading and every slot is free, or until
// SIGINT or SIGTERM asks it to stop.
void runSearch(SearchSession& session, const HeadlessOptions& options, const StopSignals& stop)
{
    QEventLoop loop;
    QObject::connect(&stop, &StopSignals::stopRequested, &loop, &QEventLoop::quit);
    auto quitWhenIdle = [&] {
        if (session.isIdle())
            loop.quit();
    };
    QObject::connect(&session, &SearchSession::timerWorkDone, &loop, quitWhenIdle);
    for (int slot = 0; slot < session.slotCount(); ++slot)
        QObject::connect(session.browser(slot), &Browser::documentComplete, &loop, quitWhenIdle);
    session.startSearch(options.addresses.join(QStringLiteral("\r\n")));
    if (session.isIdle() || stop.received())
        return;
    loop.exec();
    session.stopSearch();
}

// Which rows the filter keeps, by row number; a line on err says how many it left out.
std::vector<char> judgeRows(const PictureTable& pictures, const PictureFilter& filter, QTextStream& err)
{
    std::vector<char> passes(pictures.size(), 1);
    if (filter.isEmpty())
        return passes;
    int leftOut = 0;
    int unknownDimensions = 0;
    for (int row = 0; row < pictures.size(); ++row) {
        const PictureFilter::Verdict verdict = filter.judge(pictures.row(row));
        passes[row] = verdict == PictureFilter::Verdict::Pass;
        leftOut += !passes[row];
        unknownDimensions += verdict == PictureFilter::Verdict::DimensionsUnknown;
    }
    err << QStringLiteral("quorvane: the filters left out %1 of %2 pictures, %3 of them because their "
                          "dimensions stayed unknown").arg(leftOut).arg(pictures.size()).arg(unknownDimensions)
        << '\n';
    return passes;
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
    const StopSignals stop;
    // Declared before the engine and the session, so it outlives the work they hand it.
    std::optional<WorkerThreads> workers;
    if (options.workers > 0)
        workers.emplace(options.workers);

    UrlCache cache;
    EngineChoice choice;
    choice.kind = options.chromium ? EngineKind::Chromium : EngineKind::Net;
    choice.http = options.http;
    choice.pageTimeoutMs = int(options.pace.pageTimeout * 1000);
    // Without downloads a picture's size is all the tables need.
    choice.keepPictureBytes = !options.downloadFolder.isEmpty();
    choice.slotCount = options.pace.slotCount;
    auto built = buildEngine(choice, &cache, workers ? &*workers : nullptr);
    if (const QString* failure = std::get_if<QString>(&built)) {
        err << QStringLiteral("quorvane: ") << *failure << '\n';
        err.flush();
        return 2;
    }
    BuiltEngine& engine = std::get<BuiltEngine>(built);
    CurlSession* curl = engine.session;
    for (const QString& note : std::as_const(engine.notes))
        err << QStringLiteral("quorvane: ") << note << '\n';
    if (engine.settingsFailure) {
        err << QStringLiteral("quorvane: ") << *engine.settingsFailure << '\n';
        err.flush();
        return 2;
    }
    err.flush();
    // Each site whose certificate is refused, said once.
    QObject::connect(curl, &CurlSession::notice, curl, [&err](const QString& line) {
        err << QStringLiteral("quorvane: ") << line << '\n';
        err.flush();
    });
    SteadyClock clock;
    SearchSession session(engine.browsers, clock, &cache, options.pace, workers ? &*workers : nullptr);
    // robots.txt and sitemaps go as the engine's requests go: the same identity, cookies and trust.
    NetSiteFiles siteFiles(nullptr, curl);
    session.siteRules().setFiles(&siteFiles, options.politeness);
    std::unique_ptr<SearchStore> store;
    std::unique_ptr<SessionRecorder> recorder;
    int status = 0;
    if (!options.sessionFile.isEmpty()) {
        const auto failure = [&](const QString& reason) {
            err << QStringLiteral("quorvane: %1").arg(reason) << '\n';
            err.flush();
            status = 1;
        };
        auto opened = openSearchStore(options.sessionFile);
        if (const QString* reason = std::get_if<QString>(&opened)) {
            failure(*reason);
            return status;
        }
        store = std::move(std::get<std::unique_ptr<SearchStore>>(opened));
        const auto stored = store->read(options.pictureRowsInMemory);
        if (const QString* reason = std::get_if<QString>(&stored)) {
            failure(QStringLiteral("cannot read %1: %2").arg(options.sessionFile, *reason));
            return status;
        }
        session.pictureTable().keepRowsIn(store->pictureArchive(), options.pictureRowsInMemory);
        const Restored restored = restoreSearch(session, std::get<StoredSearch>(stored));
        if (restored == Restored::RowsLeftInFile) {
            failure(rowsLeftInFileReason(options.sessionFile, options.pictureRowsInMemory));
            return status;
        }
        recorder = std::make_unique<SessionRecorder>(session, *store);
        if (restored == Restored::Renumbered)
            recorder->rewriteWhole();
        // The search goes on unrecorded; its tables are still written at the end.
        QObject::connect(recorder.get(), &SessionRecorder::failed, recorder.get(),
                         [&, failure](const QString& reason) {
                             failure(QStringLiteral("cannot keep the search in %1: %2").arg(options.sessionFile, reason));
                         });
    }
    session.setExtractTitles(options.titles);
    session.setExtractSources(options.sources);
    session.setCrawlLimits(options.limits);
    session.setTypeProbe(engine.engine->typeProbe());
    session.setMeasuring(options.measure); // before the probe, which measures the resumed rows at once
    session.setPictureProbe(engine.engine->pictureProbe());
    SearchProgress progress(session, err);

    runSearch(session, options, stop);
    progress.finish();
    if (const PictureMeasuring& measuring = session.pictureMeasuring(); measuring.probesMade() > 0)
        err << QStringLiteral("quorvane: %1 picture probes read %2 bytes").arg(measuring.probesMade()).arg(measuring.bytesRead()) << '\n';

    // Judged once, after the search, so that the table and the downloads hold the same rows.
    const std::vector<char> passes = judgeRows(session.pictureTable(), options.filter, err);
    const auto passed = [&passes](int row) { return row < int(passes.size()) && passes[row]; };
    if (!options.downloadFolder.isEmpty() && !stop.received()) {
        PictureDownloads downloads(session.pictureTable(), curl, &cache);
        downloads.setBounds(options.maxFileBytes);
        if (!runDownloads(downloads, options.downloadFolder, passed, stop, err))
            status = 1;
    }
    if (recorder)
        recorder->finish();

    // Written a piece at a time: whole, the text of a large search would take more memory than
    // the search itself.
    const auto intoFile = [](QIODevice& file) {
        return [&file](const QString& piece) {
            const QByteArray bytes = piece.toUtf8();
            return file.write(bytes) == bytes.size();
        };
    };
    if (options.outputFile.isEmpty()) {
        writePictureTable(session.pictureTable(), options.format, passed, [&out](const QString& piece) {
            out << piece;
            return true;
        });
        out.flush();
    } else if (const auto failure = writeFileAtomically(options.outputFile, [&](QIODevice& file) {
                   return writePictureTable(session.pictureTable(), options.format, passed, intoFile(file));
               })) {
        err << QStringLiteral("quorvane: cannot write %1: %2").arg(options.outputFile, *failure) << '\n';
        status = 1;
    }
    if (!options.pagesFile.isEmpty()) {
        if (const auto failure = writeFileAtomically(options.pagesFile, [&](QIODevice& file) {
                return writePageTable(session.pageTable(), options.format, intoFile(file));
            })) {
            err << QStringLiteral("quorvane: cannot write %1: %2").arg(options.pagesFile, *failure) << '\n';
            status = 1;
        }
    }
    err.flush();
    if (status == 0 && stop.received())
        return 128 + stop.received();
    return status;
}
