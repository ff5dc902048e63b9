#pragma once

#include "platform/site_files.h"

class CurlSession;

// Site files fetched on a curl session: the net engine's, sharing its connections and
// cookies, or one of its own (beside the Chromium engine). A body that is a gzip file is
// unpacked within the bytes asked for.
class NetSiteFiles : public SiteFiles {
    Q_OBJECT
public:
    static constexpr int kIdleTimeoutMs = 10'000;
    static constexpr int kTotalTimeoutMs = 60'000;

    // session: not owned; without one the fetcher keeps its own.
    explicit NetSiteFiles(QObject* parent = nullptr, CurlSession* session = nullptr);

    void fetch(const QString& address, qint64 maxBytes) override;

private:
    CurlSession* m_session;
};
