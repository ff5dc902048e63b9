#pragma once

#include "platform/http/resource_loader.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>

// Watches the requests of one page: how many it made and when it made the last, so that its
// network can be told quiet. It also blocks every request that is not http or https (pages
// may name file:, ftp: and the like in their markup), web fonts, style sheets that the
// search has failed to load once, and the frames of a page past the documents that the
// snapshot reads.
class RequestActivity : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    // resources knows the style sheets that failed; none: no sheet is refused.
    explicit RequestActivity(const ResourceLoader* resources, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    int requestCount() const { return m_count.load(); }
    // Requests of the page's resources and frames since its document was asked for: those
    // whose end its resource timing shows.
    int subresourceCount() const { return m_subresources.load(); }
    // Frames refused since the page began.
    int framesRefused() const { return m_framesRefused.load(); }

private:
    QPointer<const ResourceLoader> m_resources;
    std::atomic<int> m_count{0};
    std::atomic<int> m_subresources{0};
    std::atomic<int> m_frames{0};
    std::atomic<int> m_framesRefused{0};
};
