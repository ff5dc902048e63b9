#pragma once

#include "extract/url_cache.h"
#include "platform/browser.h"

#include <QObject>

class QNetworkAccessManager;
class ResourceLoader;
class TypeProbe;

// The engine without scripts: QtNetwork fetches, gumbo parses. One per program; it owns one
// QNetworkAccessManager shared by its browsers and by the window's downloads, and fills the
// URL cache with the style sheets and pictures its pages link.
class NetEngine : public QObject {
    Q_OBJECT
public:
    explicit NetEngine(UrlCache* cache, QObject* parent = nullptr);
    ~NetEngine() override;

    Browser* createBrowser(QObject* parent); // one per browser slot
    // How long the pictures of a page may load after its document; for browsers created later.
    void setPictureGraceMs(int ms) { m_pictureGraceMs = ms; }
    QNetworkAccessManager* networkAccess();
    UrlCache* cache();
    TypeProbe* typeProbe(); // shared by the search's pages, owned by the engine

private:
    UrlCache* m_cache;
    QNetworkAccessManager* m_network;
    ResourceLoader* m_resources;
    TypeProbe* m_typeProbe;
    int m_pictureGraceMs;
};
