#include "platform/http/net_site_files.h"

#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "platform/http/gunzip.h"

#include <QUrl>

NetSiteFiles::NetSiteFiles(QObject* parent, CurlSession* session)
    : SiteFiles(parent), m_session(session ? session : new CurlSession(this))
{
}

void NetSiteFiles::fetch(const QString& address, qint64 maxBytes)
{
    FetchLimits limits;
    limits.bodyLimit = maxBytes;
    limits.keepLimit = maxBytes;
    limits.idleTimeoutMs = kIdleTimeoutMs;
    limits.totalTimeoutMs = kTotalTimeoutMs;
    auto* fetch = new Fetch(m_session, QUrl(address), this, limits);
    connect(fetch, &Fetch::finished, this, [this, fetch, address, maxBytes](const FetchResult& result) {
        fetch->deleteLater();
        SiteFile file;
        file.responded = result.responded;
        file.status = result.status;
        // A success status that still failed was cut short: by the bound or by the server.
        file.cut = result.failed && result.responded && result.status < 400;
        file.body = result.body;
        if (looksGzipped(file.body)) {
            if (std::optional<Gunzipped> unpacked = gunzip(file.body, maxBytes)) {
                file.body = std::move(unpacked->bytes);
                file.cut = file.cut || unpacked->cut;
            }
        }
        emit fetched(address, file);
    });
}
