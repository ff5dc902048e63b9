#include "platform/chromium/chromium_engine.h"

#include "platform/chromium/chromium_browser.h"
#include "platform/http/curl_session.h"
#include "platform/http/net_picture_probe.h"
#include "platform/http/net_type_probe.h"
#include "platform/http/resource_loader.h"

#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

// In every page and frame before its own scripts: a page cannot hold the browser on leaving.
const char* const kLeaveGuard = R"js((() => {
  try {
    Object.defineProperty(window, 'onbeforeunload', { get: () => null, set: () => {}, configurable: false });
  } catch (e) {}
  const add = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, ...rest) {
    if (this === window && String(type).toLowerCase() === 'beforeunload') return;
    return add.call(this, type, ...rest);
  };
})();)js";

} // namespace

ChromiumEngine::ChromiumEngine(UrlCache* cache, SettleBudget budget, QObject* parent)
    : Engine(parent), m_cache(cache), m_budget(budget),
      m_profile(new QWebEngineProfile(this)), // no storage name: off the record
      m_session(new CurlSession(this)),
      m_resources(new ResourceLoader(m_session, cache, this)), m_typeProbe(new NetTypeProbe(m_session, cache, this)),
      m_pictureProbe(new NetPictureProbe(m_session, this))
{
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest* download) {
        download->cancel();
        for (const QPointer<ChromiumBrowser>& browser : std::as_const(m_browsers)) {
            if (browser && browser->ownsPage(download->page()))
                browser->downloadRefused();
        }
    });

    QWebEngineScript guard;
    guard.setName(QStringLiteral("quorvane-leave-guard"));
    guard.setSourceCode(QString::fromLatin1(kLeaveGuard));
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setWorldId(QWebEngineScript::MainWorld);
    guard.setRunsOnSubFrames(true);
    m_profile->scripts()->insert(guard);
}

ChromiumEngine::~ChromiumEngine()
{
    // The pages end before their profile does.
    for (const QPointer<ChromiumBrowser>& browser : std::as_const(m_browsers)) {
        if (browser)
            browser->releasePage();
    }
}

Browser* ChromiumEngine::createBrowser(QObject* parent)
{
    auto* browser = new ChromiumBrowser(m_profile, m_session, m_resources, m_cache, m_budget, parent);
    m_browsers.append(browser);
    return browser;
}

void ChromiumEngine::setPageTimeout(int milliseconds)
{
    m_budget.pageMs = milliseconds;
    for (const QPointer<ChromiumBrowser>& browser : std::as_const(m_browsers)) {
        if (browser)
            browser->setPageTimeout(milliseconds);
    }
}

CurlSession* ChromiumEngine::session()
{
    return m_session;
}

UrlCache* ChromiumEngine::cache()
{
    return m_cache;
}

TypeProbe* ChromiumEngine::typeProbe()
{
    return m_typeProbe;
}

PictureProbe* ChromiumEngine::pictureProbe()
{
    return m_pictureProbe;
}
