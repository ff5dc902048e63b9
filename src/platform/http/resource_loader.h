#pragma once

#include "platform/url_cache.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QString>

#include <functional>

class Fetch;
struct FetchResult;
class CurlSession;

// Loads the style sheets and pictures of the pages of all browsers into the URL cache: a
// few requests at a time for each page, one transfer for an address that several pages
// want at once, and never a second request for what the cache holds or what failed.
class ResourceLoader : public QObject {
    Q_OBJECT
public:
    static constexpr int kRequestsPerPage = 4;
    // A picture is counted to the end, but only this much of it is kept for the cache.
    static constexpr qint64 kPictureKeepBytes = 8 * 1024 * 1024;
    static constexpr qint64 kPictureByteLimit = 256 * 1024 * 1024;
    // Of a picture not kept whole, its first bytes are, for its dimensions.
    static constexpr qint64 kPictureHeadBytes = 64 * 1024;
    // A 429 or 503 is asked again after the wait the server names, or 1 s then 2 s, at
    // most this often; a longer wait than kBusyLongestWaitMs fails the resource at once,
    // since its page will not wait that long for it.
    static constexpr int kBusyRetries = 2;
    static constexpr int kBusyLongestWaitMs = 5'000;

    // A style sheet is read by the document walk, so its bytes are needed; of a picture
    // only its size and its first bytes are.
    enum class Kind { StyleSheet, Picture };
    // Why an address is fetched or not: the one place that decides it.
    enum class Admission { Fetch, JoinTransfer, AlreadyCached, AlreadyFailed, NotWebAddress, Offline };
    // Called once for every address the page asked for: stored, or failed.
    using Done = std::function<void(const QString& address, bool stored)>;

    ResourceLoader(CurlSession* session, UrlCache* cache, QObject* parent = nullptr);

    Admission admit(const QString& address, Kind kind) const;
    // Whether a picture's bytes go into the cache (for the window's downloads) or only its
    // size and type; on by default. Copying the bytes costs the event loop's thread more
    // than anything else a picture does.
    void setKeepPictureBytes(bool keep) { m_keepPictureBytes = keep; }
    // A page that will ask for resources. Its done() is always called later, from the
    // event loop, and never after release().
    quint64 open(Done done);
    void request(quint64 page, const QString& address, Kind kind);
    // Forgets the page; transfers that no other page waits for are aborted at once.
    void release(quint64 page);

private:
    struct Wanted {
        QString address;
        Kind kind;
    };
    struct Waiter {
        Done done;
        QQueue<Wanted> queued;
        int active = 0;
    };
    struct Transfer {
        Fetch* fetch = nullptr; // none while it waits to be asked again
        QList<quint64> pages;
        Kind kind = Kind::Picture;
        int retries = 0;
    };
    void pump(quint64 page);
    void startTransfer(const Wanted& wanted);
    Fetch* startFetch(const QString& address, Kind kind);
    bool askAgainLater(const QString& address, const FetchResult& result);
    void transferDone(const QString& address, Fetch* fetch, const FetchResult& result);
    void deliver(quint64 page, const QString& address, bool stored);

    QPointer<CurlSession> m_session;
    UrlCache* m_cache;
    QHash<quint64, Waiter> m_waiters;
    QHash<QString, Transfer> m_transfers;
    QSet<QString> m_failed; // for the whole run: asking again would fail again
    quint64 m_nextPage = 0;
    bool m_keepPictureBytes = true;
};
