#pragma once

#include "platform/type_probe.h"
#include "platform/url_cache.h"

#include <QHash>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QUrl>

class CurlSession;

// The type probe of the net engine: what the URL cache recorded when a picture was loaded,
// else a HEAD request (a GET cut off after its headers where a server refuses HEAD), a few
// at a time, each address once per run. Redirects are followed as for pages.
class NetTypeProbe : public TypeProbe {
    Q_OBJECT
public:
    static constexpr int kQuestionsAtOnce = 4;
    static constexpr int kTimeoutMs = 20'000;

    NetTypeProbe(CurlSession* session, const UrlCache* cache, QObject* parent = nullptr);

    std::optional<QString> knownType(const QString& address) const override;
    void ask(const QString& address) override;
    bool isBusy() const override { return !m_queue.isEmpty() || m_running > 0; }

private:
    void pump();
    // A 429 or 503 is asked again, as a page's resources are (twice, waits up to 5 s).
    static constexpr int kBusyRetries = 2;
    static constexpr int kBusyLongestWaitMs = 5'000;
    void request(const QString& address, bool head, int retries = 0);
    void finish(const QString& address, const QString& contentType);

    QPointer<CurlSession> m_session;
    const UrlCache* m_cache;
    QHash<QString, QString> m_answers;
    QSet<QString> m_asked; // queued or under way
    QQueue<QString> m_queue;
    int m_running = 0;
};
