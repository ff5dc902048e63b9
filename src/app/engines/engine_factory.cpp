#include "app/engines/engine_factory.h"

#include "app/engines/engine_slots.h"

#include "platform/http/curl_session.h"
#include "platform/net/net_engine.h"

#ifdef QUORVANE_HAVE_WEBENGINE
#include "platform/chromium/chromium_browser.h"
#include "platform/chromium/chromium_engine.h"
#include "platform/chromium/chromium_runtime.h"
#endif

namespace {

QList<Browser*> makeBrowsers(Engine& engine, int count)
{
    QList<Browser*> browsers;
    for (int slot = 0; slot < count; ++slot)
        browsers.append(engine.createBrowser(&engine));
    return browsers;
}

} // namespace

std::variant<BuiltEngine, QString> buildEngine(const EngineChoice& choice, UrlCache* cache,
                                               WorkerThreads* workers)
{
    BuiltEngine built;
    if (choice.kind == EngineKind::Chromium) {
#ifdef QUORVANE_HAVE_WEBENGINE
        auto* chromium = new ChromiumEngine(cache);
        built.engine.reset(chromium);
        built.session = chromium->session();
        built.settingsFailure = chromium->configure(choice.http, built.notes);
        if (choice.pageTimeoutMs > 0)
            chromium->setPageTimeout(choice.pageTimeoutMs);
        chromium->setWorkers(workers);
        const int allowed = chromiumSlotsAllowed(choice.slotCount, availableMemoryBytes());
        if (allowed < choice.slotCount)
            built.notes.append(QStringLiteral("%1 slots asked for; Chromium loads %2 pages at once, at most %3 and "
                                              "one per %4 MiB of memory available")
                                   .arg(choice.slotCount).arg(allowed).arg(kMostChromiumSlots)
                                   .arg(kChromiumSlotBytes / (1024 * 1024)));
        built.browsers = makeBrowsers(*chromium, allowed);
        if (!built.settingsFailure) {
            if (const std::optional<QString> note = chromium->waitForCookies())
                built.notes.append(*note);
        }
#else
        return QStringLiteral("the chromium engine is not part of this build; use --engine net");
#endif
    } else {
        auto* net = new NetEngine(cache, workers);
        net->setKeepPictureBytes(choice.keepPictureBytes);
        built.engine.reset(net);
        built.session = net->session();
        built.settingsFailure = built.session->configure(choice.http, built.notes);
        built.browsers = makeBrowsers(*net, choice.slotCount);
    }
    return built;
}

bool chromiumInBuild()
{
#ifdef QUORVANE_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

void prepareEngineRuntime()
{
#ifdef QUORVANE_HAVE_WEBENGINE
    prepareChromiumRuntime();
#endif
}

QWidget* livePageView(Browser* browser)
{
#ifdef QUORVANE_HAVE_WEBENGINE
    if (auto* chromium = qobject_cast<ChromiumBrowser*>(browser))
        return chromium->view();
#else
    Q_UNUSED(browser);
#endif
    return nullptr;
}
