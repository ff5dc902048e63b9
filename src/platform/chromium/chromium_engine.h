#pragma once

#include "platform/browser.h"
#include "platform/chromium/settle_budget.h"
#include "platform/engine.h"
#include "platform/http/http_settings.h"
#include "platform/url_cache.h"

#include <QList>
#include <QObject>
#include <QPointer>

class ChromiumBrowser;
class CurlSession;
class PictureProbe;
class ProfileCookies;
class QWebEngineCertificateError;
class QWebEngineProfile;
class RequestIdentity;
class ResourceLoader;
class RetryAfterQuery;
class TypeProbe;
class WorkerThreads;

// The engine that runs the pages' scripts: Qt WebEngine (Chromium). One per program, made
// after the application object (see prepareChromiumRuntime). Its browsers share one private
// profile that keeps nothing on disk and refuses every download; the style sheets of their
// pages go into the URL cache. The browser and the engine's curl session speak as one client:
// the same user agent, extra headers and cookies.
class ChromiumEngine : public Engine {
    Q_OBJECT
public:
    explicit ChromiumEngine(UrlCache* cache, SettleBudget budget = {}, QObject* parent = nullptr);
    ~ChromiumEngine() override;

    // The search's request settings, for every request from now on, the browser's and the
    // curl session's: the user agent, the extra headers, the cookies of the file put in the
    // browser's store as well, and with insecure no certificate checked. An error when a
    // file cannot be read (nothing changes then); what is worth telling goes to notes. The
    // browser's certificate checks cannot take a CA file: caFile is the curl session's alone.
    std::optional<QString> configure(const HttpSettings& settings, QStringList& notes);
    // Before the first page: waits, at most kCookieWaitMs, until the browser's store has
    // taken the file's cookies; a note for those it has not.
    std::optional<QString> waitForCookies();
    static constexpr int kCookieWaitMs = 5'000;

    Browser* createBrowser(QObject* parent) override; // one per browser slot
    // The search's page time-out: every page completes before it, read in part if need be.
    void setPageTimeout(int milliseconds);
    // Where pages read from their bytes are parsed, for browsers created later; none: on the
    // event loop's thread.
    void setWorkers(WorkerThreads* workers) { m_workers = workers; }
    // The curl session of the style sheets pages may not read, the probes and the downloads.
    CurlSession* session();
    UrlCache* cache() override;
    // Addresses without a picture extension are asked about over plain HTTP, as the net
    // engine asks: the browser's own loads do not say their type.
    TypeProbe* typeProbe() override;
    // Pictures the pages show but the cache cannot measure are probed over plain HTTP too.
    PictureProbe* pictureProbe() override;

private:
    void certificateError(const QWebEngineCertificateError& error);

    UrlCache* m_cache;
    WorkerThreads* m_workers = nullptr;
    SettleBudget m_budget;
    QWebEngineProfile* m_profile;
    CurlSession* m_session;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    PictureProbe* m_pictureProbe;
    RequestIdentity* m_identity;
    ProfileCookies* m_cookies;
    RetryAfterQuery* m_retryQuery;
    QString m_cookiesFile; // the file whose cookies the browser is taking
    QList<QPointer<ChromiumBrowser>> m_browsers;
};
