#pragma once

#include "extract/url_cache.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>

#include <functional>

class Fetch;
struct FetchResult;
class QNetworkAccessManager;

// Loads the style sheets and pictures of the pages of all browsers into the URL cache: a
// few requests at a time for each page, and one transfer for an address that several pages
// want at once. What the cache holds is never fetched again; what failed is not stored.
class ResourceLoader : public QObject {
    Q_OBJECT
public:
    static constexpr int kRequestsPerPage = 4;
    // Called once for every address the page asked for: stored, or failed.
    using Done = std::function<void(const QString& address, bool stored)>;

    ResourceLoader(QNetworkAccessManager* network, UrlCache* cache, QObject* parent = nullptr);

    // A page that will ask for resources. Its done() is always called later, from the
    // event loop, and never after release().
    quint64 open(Done done);
    void request(quint64 page, const QString& address);
    // Forgets the page; transfers that no other page waits for are aborted.
    void release(quint64 page);

private:
    struct Waiter {
        Done done;
        QQueue<QString> queued;
        int active = 0;
    };
    struct Transfer {
        Fetch* fetch = nullptr;
        QList<quint64> pages;
    };
    void pump(quint64 page);
    void transferDone(const QString& address, Fetch* fetch, const FetchResult& result);
    void deliver(quint64 page, const QString& address, bool stored);

    QPointer<QNetworkAccessManager> m_network;
    UrlCache* m_cache;
    QHash<quint64, Waiter> m_waiters;
    QHash<QString, Transfer> m_transfers;
    quint64 m_nextPage = 0;
};
