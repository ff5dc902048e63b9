#pragma once

#include "platform/browser.h"
#include "platform/engine.h"
#include "platform/url_cache.h"

#include <QObject>

class CurlSession;
class PictureProbe;
class ResourceLoader;
class TypeProbe;
class WorkerThreads;

// The engine without scripts: libcurl fetches, gumbo parses. One per program; it owns one
// curl session shared by its browsers, its type and picture probes and its resource
// loader, and fills the URL cache with the style sheets and pictures its pages link; the
// downloads go through the same session.
class NetEngine : public Engine {
    Q_OBJECT
public:
    // workers parse and put together its pages; none: on the event loop's thread.
    explicit NetEngine(UrlCache* cache, WorkerThreads* workers = nullptr, QObject* parent = nullptr);
    ~NetEngine() override;

    Browser* createBrowser(QObject* parent) override; // one per browser slot
    // How long the pictures of a page may load after its document; for browsers created later.
    void setPictureGraceMs(int ms) { m_pictureGraceMs = ms; }
    // Off where nothing takes pictures from the cache: then only their sizes and types are kept.
    void setKeepPictureBytes(bool keep);
    CurlSession* session();
    UrlCache* cache() override;
    TypeProbe* typeProbe() override;
    PictureProbe* pictureProbe() override;

private:
    UrlCache* m_cache;
    WorkerThreads* m_workers;
    CurlSession* m_session;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    PictureProbe* m_pictureProbe;
    int m_pictureGraceMs;
};
