#pragma once

#include "platform/browser.h"
#include "platform/chromium/settle_budget.h"
#include "platform/engine.h"
#include "platform/url_cache.h"

#include <QList>
#include <QObject>
#include <QPointer>

class ChromiumBrowser;
class CurlSession;
class PictureProbe;
class QWebEngineProfile;
class ResourceLoader;
class TypeProbe;

// The engine that runs the pages' scripts: Qt WebEngine (Chromium). One per program, made
// after the application object (see prepareChromiumRuntime). Its browsers share one private
// profile that keeps nothing on disk and refuses every download; the style sheets of their
// pages go into the URL cache.
class ChromiumEngine : public Engine {
    Q_OBJECT
public:
    explicit ChromiumEngine(UrlCache* cache, SettleBudget budget = {}, QObject* parent = nullptr);
    ~ChromiumEngine() override;

    Browser* createBrowser(QObject* parent) override; // one per browser slot
    // The search's page time-out: every page completes before it, read in part if need be.
    void setPageTimeout(int milliseconds);
    // The curl session of the style sheets pages may not read, the probes and the downloads.
    CurlSession* session();
    UrlCache* cache() override;
    // Addresses without a picture extension are asked about over plain HTTP, as the net
    // engine asks: the browser's own loads do not say their type.
    TypeProbe* typeProbe() override;
    // Pictures the pages show but the cache cannot measure are probed over plain HTTP too.
    PictureProbe* pictureProbe() override;

private:
    UrlCache* m_cache;
    SettleBudget m_budget;
    QWebEngineProfile* m_profile;
    CurlSession* m_session;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    PictureProbe* m_pictureProbe;
    QList<QPointer<ChromiumBrowser>> m_browsers;
};
