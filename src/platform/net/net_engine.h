#pragma once

#include "extract/url_cache.h"
#include "platform/browser.h"

#include <QObject>

class CurlSession;
class PictureProbe;
class QNetworkAccessManager;
class ResourceLoader;
class TypeProbe;

// The engine without scripts: libcurl fetches, gumbo parses. One per program; it owns one
// curl session shared by its browsers, its type and picture probes and its resource
// loader, fills the URL cache with the style sheets and pictures its pages link, and keeps
// a QNetworkAccessManager for the window's downloads.
class NetEngine : public QObject {
    Q_OBJECT
public:
    explicit NetEngine(UrlCache* cache, QObject* parent = nullptr);
    ~NetEngine() override;

    Browser* createBrowser(QObject* parent); // one per browser slot
    // How long the pictures of a page may load after its document; for browsers created later.
    void setPictureGraceMs(int ms) { m_pictureGraceMs = ms; }
    // Off where nothing takes pictures from the cache: then only their sizes and types are kept.
    void setKeepPictureBytes(bool keep);
    QNetworkAccessManager* networkAccess(); // the window's downloads
    CurlSession* session();
    UrlCache* cache();
    TypeProbe* typeProbe(); // shared by the search's pages, owned by the engine
    PictureProbe* pictureProbe(); // the same

private:
    UrlCache* m_cache;
    CurlSession* m_session;
    QNetworkAccessManager* m_network;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    PictureProbe* m_pictureProbe;
    int m_pictureGraceMs;
};
