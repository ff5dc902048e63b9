#pragma once

#include <QElapsedTimer>
#include <QWebEngineUrlRequestInterceptor>

#include <atomic>

// Watches the requests of one page: how many it made and when it made the last, so that its
// network can be told quiet. It also blocks every request that is not http or https (pages
// may name file:, ftp: and the like in their markup), web fonts, and the frames of a page
// past the documents that the snapshot reads.
class RequestActivity : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestActivity(QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    int requestCount() const { return m_count.load(); }
    // Requests of the page's resources and frames since its document was asked for: those
    // whose end its resource timing shows.
    int subresourceCount() const { return m_subresources.load(); }
    // Frames refused since the page began.
    int framesRefused() const { return m_framesRefused.load(); }

private:
    std::atomic<int> m_count{0};
    std::atomic<int> m_subresources{0};
    std::atomic<int> m_frames{0};
    std::atomic<int> m_framesRefused{0};
};
