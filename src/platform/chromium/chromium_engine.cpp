#include "platform/chromium/chromium_engine.h"

#include "platform/chromium/chromium_browser.h"
#include "platform/chromium/profile_cookies.h"
#include "platform/chromium/request_identity.h"
#include "platform/chromium/retry_after_query.h"
#include "platform/http/cookies_file.h"
#include "platform/http/curl_session.h"
#include "platform/http/net_picture_probe.h"
#include "platform/http/net_type_probe.h"
#include "platform/http/resource_loader.h"

#include <QDateTime>
#include <QFile>
#include <QWebEngineCertificateError>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

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
      m_pictureProbe(new NetPictureProbe(m_session, this)), m_identity(new RequestIdentity(this)),
      m_cookies(new ProfileCookies(m_profile->cookieStore(), m_session, this)),
      m_retryQuery(new RetryAfterQuery(m_session, this))
{
    m_profile->setUrlRequestInterceptor(m_identity);
    m_profile->setHttpUserAgent(QString::fromUtf8(m_session->settings().userAgent));
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

std::optional<QString> ChromiumEngine::configure(const HttpSettings& settings, QStringList& notes)
{
    if (const std::optional<QString> failure = m_session->configure(settings, notes))
        return failure;
    m_profile->setHttpUserAgent(QString::fromUtf8(settings.userAgent));
    m_identity->setHeaders(settings.headers);
    m_cookiesFile = settings.cookiesFile;
    if (!settings.cookiesFile.isEmpty()) {
        // The session has just read it; the expired and malformed lines are told already.
        QFile file(settings.cookiesFile);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1: %2").arg(settings.cookiesFile, file.errorString());
        m_cookies->set(readCookiesText(file.readAll(), QDateTime::currentSecsSinceEpoch()).cookies);
    }
    return std::nullopt;
}

std::optional<QString> ChromiumEngine::waitForCookies()
{
    const int refused = m_cookies->waitUntilTaken(kCookieWaitMs);
    if (refused == 0)
        return std::nullopt;
    return QStringLiteral("%1: the browser has not taken %2 of its cookies").arg(m_cookiesFile).arg(refused);
}

Browser* ChromiumEngine::createBrowser(QObject* parent)
{
    auto* browser = new ChromiumBrowser(m_profile, m_session, m_resources, m_cache, m_budget, parent);
    browser->setRetryAfterQuery(m_retryQuery);
    browser->setWorkers(m_workers);
    if (auto* view = qobject_cast<QWebEngineView*>(browser->view()))
        connect(view->page(), &QWebEnginePage::certificateError, this, &ChromiumEngine::certificateError);
    m_browsers.append(browser);
    return browser;
}

void ChromiumEngine::certificateError(const QWebEngineCertificateError& error)
{
    QWebEngineCertificateError answer = error;
    if (m_session->settings().insecure && answer.isOverridable()) {
        answer.acceptCertificate();
        return;
    }
    // Told once per site, as the curl session tells the sites it refuses.
    m_session->certificateRefused(answer.url(), answer.description());
    answer.rejectCertificate();
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
