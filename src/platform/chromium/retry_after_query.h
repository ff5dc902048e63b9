#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class CurlSession;

// Chromium tells a page's status but none of its headers: after a 429 or a 503 the engine's
// curl session asks the same address once more, with a HEAD, for the Retry-After. One short
// request, bounded in time; what it does not learn is "no time named".
class RetryAfterQuery : public QObject {
    Q_OBJECT
public:
    static constexpr int kBoundMs = 5'000;

    explicit RetryAfterQuery(CurlSession* session, QObject* parent = nullptr);

    // Calls done once, from the event loop, with the seconds the server names (0: none, or
    // its answer to the HEAD was not a 429 or 503), unless receiver has gone by then.
    void ask(const QUrl& url, QObject* receiver, std::function<void(double seconds)> done);

private:
    QPointer<CurlSession> m_session;
};
