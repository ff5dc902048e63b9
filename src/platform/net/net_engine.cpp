#include "platform/net/net_engine.h"

#include "platform/http/curl_session.h"
#include "platform/http/net_picture_probe.h"
#include "platform/http/net_type_probe.h"
#include "platform/http/resource_loader.h"
#include "platform/net/net_browser.h"
#include "platform/net/page_load.h"

NetEngine::NetEngine(UrlCache* cache, WorkerThreads* workers, QObject* parent)
    : Engine(parent), m_cache(cache), m_workers(workers), m_session(new CurlSession(this)),
      m_resources(new ResourceLoader(m_session, cache, this)),
      m_typeProbe(new NetTypeProbe(m_session, cache, this)),
      m_pictureProbe(new NetPictureProbe(m_session, this)), m_pictureGraceMs(PageLoad::kPictureGraceMs)
{
}

NetEngine::~NetEngine() = default;

Browser* NetEngine::createBrowser(QObject* parent)
{
    return new NetBrowser(m_session, m_resources, m_cache, m_workers, parent, m_pictureGraceMs);
}

void NetEngine::setKeepPictureBytes(bool keep)
{
    m_resources->setKeepPictureBytes(keep);
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
