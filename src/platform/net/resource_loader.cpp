#include "platform/net/resource_loader.h"

#include "platform/net/fetch.h"

#include <QNetworkAccessManager>

ResourceLoader::ResourceLoader(QNetworkAccessManager* network, UrlCache* cache, QObject* parent)
    : QObject(parent), m_network(network), m_cache(cache)
{
}

quint64 ResourceLoader::open(Done done)
{
    const quint64 page = ++m_nextPage;
    m_waiters.insert(page, Waiter{std::move(done), {}, 0});
    return page;
}

void ResourceLoader::request(quint64 page, const QString& address)
{
    const auto waiter = m_waiters.find(page);
    if (waiter == m_waiters.end())
        return;
    waiter->queued.enqueue(address);
    pump(page);
}

void ResourceLoader::release(quint64 page)
{
    m_waiters.remove(page);
    for (auto transfer = m_transfers.begin(); transfer != m_transfers.end();) {
        transfer->pages.removeAll(page);
        if (!transfer->pages.isEmpty()) {
            ++transfer;
            continue;
        }
        // Deleting the fetch aborts its reply.
        transfer->fetch->disconnect(this);
        transfer->fetch->deleteLater();
        transfer = m_transfers.erase(transfer);
    }
}

void ResourceLoader::pump(quint64 page)
{
    const auto waiter = m_waiters.find(page);
    if (waiter == m_waiters.end())
        return;
    while (waiter->active < kRequestsPerPage && !waiter->queued.isEmpty()) {
        const QString address = waiter->queued.dequeue();
        if (m_cache->contains(address) || !m_network) {
            deliver(page, address, m_cache->contains(address));
            continue;
        }
        auto transfer = m_transfers.find(address);
        if (transfer == m_transfers.end()) {
            auto* fetch = new Fetch(m_network, QUrl(address), this);
            connect(fetch, &Fetch::finished, this, [this, address, fetch](const FetchResult& result) {
                transferDone(address, fetch, result);
            });
            transfer = m_transfers.insert(address, Transfer{fetch, {}});
        }
        transfer->pages.append(page);
        ++waiter->active;
    }
}

void ResourceLoader::transferDone(const QString& address, Fetch* fetch, const FetchResult& result)
{
    fetch->deleteLater();
    const auto transfer = m_transfers.constFind(address);
    if (transfer == m_transfers.constEnd() || transfer->fetch != fetch)
        return;
    const QList<quint64> pages = transfer->pages;
    m_transfers.erase(transfer);
    const bool stored = !result.failed && m_cache->store(address, result.body, result.contentType).has_value();
    for (const quint64 page : pages) {
        const auto waiter = m_waiters.find(page);
        if (waiter == m_waiters.end())
            continue;
        --waiter->active;
        deliver(page, address, stored);
    }
    for (const quint64 page : pages)
        pump(page);
}

void ResourceLoader::deliver(quint64 page, const QString& address, bool stored)
{
    QMetaObject::invokeMethod(
        this,
        [this, page, address, stored] {
            const auto waiter = m_waiters.constFind(page);
            if (waiter == m_waiters.constEnd())
                return;
            // A copy: the call may release the page and with it the stored function.
            const Done done = waiter->done;
            done(address, stored);
        },
        Qt::QueuedConnection);
}
