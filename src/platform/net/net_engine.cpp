#include "platform/net/net_engine.h"

#include "platform/net/curl_session.h"
#include "platform/net/net_browser.h"
#include "platform/net/net_picture_probe.h"
#include "platform/net/net_type_probe.h"
#include "platform/net/page_load.h"
#include "platform/net/resource_loader.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

NetEngine::NetEngine(UrlCache* cache, QObject* parent)
    : QObject(parent), m_cache(cache), m_session(new CurlSession(this)), m_network(new QNetworkAccessManager(this)),
      m_resources(new ResourceLoader(m_session, cache, this)),
      m_typeProbe(new NetTypeProbe(m_session, cache, this)),
      m_pictureProbe(new NetPictureProbe(m_session, this)), m_pictureGraceMs(PageLoad::kPictureGraceMs)
{
    // Straight to the server: a proxy from the environment must not redirect the program.
    m_network->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
}

NetEngine::~NetEngine() = default;

Browser* NetEngine::createBrowser(QObject* parent)
{
    return new NetBrowser(m_session, m_resources, m_cache, parent, m_pictureGraceMs);
}

void NetEngine::setKeepPictureBytes(bool keep)
{
    m_resources->setKeepPictureBytes(keep);
}

QNetworkAccessManager* NetEngine::networkAccess()
{
    return m_network;
}

CurlSession* NetEngine::session()
{
    return m_session;
}

UrlCache* NetEngine::cache()
{
    return m_cache;
}

TypeProbe* NetEngine::typeProbe()
{
    return m_typeProbe;
}

PictureProbe* NetEngine::pictureProbe()
{
    return m_pictureProbe;
}
