#pragma once

#include "extract/url_cache.h"
#include "platform/browser.h"
#include "platform/chromium/settle_budget.h"

#include <QList>
#include <QObject>
#include <QPointer>

class ChromiumBrowser;
class CurlSession;
class QNetworkAccessManager;
class QWebEngineProfile;
class ResourceLoader;
class TypeProbe;

// The engine that runs the pages' scripts: Qt WebEngine (Chromium). One per program, made
// after the application object (see prepareChromiumRuntime). Its browsers share one private
// profile that keeps nothing on disk and refuses every download; the style sheets of their
// pages go into the URL cache.
class ChromiumEngine : public QObject {
    Q_OBJECT
public:
    explicit ChromiumEngine(UrlCache* cache, SettleBudget budget = {}, QObject* parent = nullptr);
    ~ChromiumEngine() override;

    Browser* createBrowser(QObject* parent); // one per browser slot
    // The search's page time-out: every page completes before it, read in part if need be.
    void setPageTimeout(int milliseconds);
    // For the window's downloads (the style sheets that pages may not read come over curl).
    QNetworkAccessManager* networkAccess();
    UrlCache* cache();
    // Addresses without a picture extension are asked about over plain HTTP, as the net
    // engine asks: the browser's own loads do not say their type.
    TypeProbe* typeProbe();

private:
    UrlCache* m_cache;
    SettleBudget m_budget;
    QWebEngineProfile* m_profile;
    CurlSession* m_session;
    QNetworkAccessManager* m_network;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    QList<QPointer<ChromiumBrowser>> m_browsers;
};
