#include "platform/chromium/request_activity.h"

#include "platform/chromium/snapshot_script.h"

RequestActivity::RequestActivity(const ResourceLoader* resources, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_resources(resources)
{
}

void RequestActivity::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QString scheme = info.requestUrl().scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        if (scheme != QLatin1String("data") && scheme != QLatin1String("blob"))
            info.block(true);
        return;
    }
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeFontResource) {
        // No picture is drawn from a web font, and a page lays out with the fonts at hand; a
        // missing one, never cached, would be asked for again on every page of its site.
        info.block(true);
        return;
    }
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeStylesheet && m_resources
        && m_resources->admit(info.requestUrl().toString(QUrl::FullyEncoded), ResourceLoader::Kind::StyleSheet)
               == ResourceLoader::Admission::AlreadyFailed) {
        // A 404 is never cached: a sheet missing from every page of a site would be asked
        // for again on each.
        info.block(true);
        return;
    }
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        m_frames = 0;
        m_framesRefused = 0;
        m_subresources = 0;
    } else if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeSubFrame) {
        // Each frame is a document that Chromium holds in this process and the renderer's;
        // those the snapshot would not read are never loaded.
        if (++m_frames >= kMaxSnapshotDocuments) {
            ++m_framesRefused;
            info.block(true);
            return;
        }
    }
    ++m_count;
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame
        && info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeFavicon)
        ++m_subresources;
}
