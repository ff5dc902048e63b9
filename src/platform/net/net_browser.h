#pragma once

#include "platform/browser.h"
#include "platform/url_cache.h"

#include <QPointer>

#include <functional>

class PageLoad;
class CurlSession;
class ResourceLoader;
class WorkerThreads;

// A browser of the net engine. Every event is delivered from the event loop and belongs to
// the navigation that raised it: once navigate() has been called again, nothing of the
// earlier navigation reaches the caller.
class NetBrowser : public Browser {
    Q_OBJECT
public:
    NetBrowser(CurlSession* network, ResourceLoader* resources, const UrlCache* cache,
               WorkerThreads* workers, QObject* parent, int pictureGraceMs);

    void navigate(const QString& address) override;
    QString locationURL() const override { return m_location; }
    DocumentPtr document() const override { return m_document; }
    bool navigationFailed() const override { return m_failed; }
    void finishNow() override;
    std::optional<double> retryAfterSeconds() const override { return m_retryAfter; }

private:
    // Runs the event from the event loop, unless another navigation has begun by then.
    void later(std::function<void()> event);

    QPointer<CurlSession> m_network;
    QPointer<ResourceLoader> m_resources;
    const UrlCache* m_cache;
    WorkerThreads* m_workers;
    int m_pictureGraceMs;
    QPointer<PageLoad> m_load;
    quint64 m_navigation = 0;
    QString m_location = QStringLiteral("about:blank");
    DocumentPtr m_document;
    bool m_failed = false;
    std::optional<double> m_retryAfter;
};
