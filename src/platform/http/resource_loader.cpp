#include "platform/http/resource_loader.h"

#include "formats/picture_header.h"
#include "platform/http/fetch.h"
#include "platform/http/web_address.h"

#include "platform/http/curl_session.h"

#include <QTimer>

ResourceLoader::ResourceLoader(CurlSession* session, UrlCache* cache, QObject* parent)
    : QObject(parent), m_session(session), m_cache(cache)
{
}

ResourceLoader::Admission ResourceLoader::admit(const QString& address, Kind kind) const
{
    // Only web addresses are ever cached, failed or fetched, so those lookups go first: most
    // addresses a page asks for are answered by them, without parsing the address.
    const bool cached = kind == Kind::Picture ? m_cache->byteSize(address).has_value() : m_cache->contains(address);
    if (cached)
        return Admission::AlreadyCached;
    if (m_failed.contains(address))
        return Admission::AlreadyFailed;
    if (m_transfers.contains(address))
        return Admission::JoinTransfer;
    if (!isWebAddress(QUrl(address)))
        return Admission::NotWebAddress;
    if (!m_session)
        return Admission::Offline;
    return Admission::Fetch;
}

quint64 ResourceLoader::open(Done done)
{
    const quint64 page = ++m_nextPage;
    m_waiters.insert(page, Waiter{std::move(done), {}, 0});
    return page;
}

void ResourceLoader::request(quint64 page, const QString& address, Kind kind)
{
    const auto waiter = m_waiters.find(page);
    if (waiter == m_waiters.end())
        return;
    waiter->queued.enqueue(Wanted{address, kind});
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
        // Deleting the fetch aborts its transfer now, not at the next turn of the event loop.
        Fetch* fetch = transfer->fetch;
        transfer = m_transfers.erase(transfer);
        if (fetch)
            fetch->disconnect(this);
        delete fetch;
    }
}

void ResourceLoader::pump(quint64 page)
{
    const auto waiter = m_waiters.find(page);
    if (waiter == m_waiters.end())
        return;
    while (waiter->active < kRequestsPerPage && !waiter->queued.isEmpty()) {
        const Wanted wanted = waiter->queued.dequeue();
        switch (admit(wanted.address, wanted.kind)) {
        case Admission::AlreadyCached:
            deliver(page, wanted.address, true);
            continue;
        case Admission::AlreadyFailed:
        case Admission::NotWebAddress:
        case Admission::Offline:
            deliver(page, wanted.address, false);
            continue;
        case Admission::Fetch:
            startTransfer(wanted);
            break;
        case Admission::JoinTransfer:
            break;
        }
        m_transfers[wanted.address].pages.append(page);
        ++waiter->active;
    }
}

void ResourceLoader::startTransfer(const Wanted& wanted)
{
    m_transfers.insert(wanted.address, Transfer{startFetch(wanted.address, wanted.kind), {}, wanted.kind});
}

Fetch* ResourceLoader::startFetch(const QString& address, Kind kind)
{
    FetchLimits limits;
    FetchExtras extras;
    if (kind == Kind::Picture) {
        limits.bodyLimit = kPictureByteLimit;
        limits.keepLimit = m_keepPictureBytes ? kPictureKeepBytes : 0;
        limits.headBytes = kPictureHeadBytes;
        // The head is kept for the picture's dimensions, which most formats tell in their
        // first bytes: the rest of it would only be copied.
        extras.headIsEnough = [](QByteArrayView head) {
            return readPictureHeader(head, false).verdict != PictureHeader::Verdict::NeedMore;
        };
    }
    auto* fetch = new Fetch(m_session, QUrl(address), this, limits, Fetch::Method::Get, extras);
    connect(fetch, &Fetch::finished, this,
            [this, address, fetch](const FetchResult& result) { transferDone(address, fetch, result); });
    return fetch;
}

bool ResourceLoader::askAgainLater(const QString& address, const FetchResult& result)
{
    const auto transfer = m_transfers.find(address);
    const std::optional<int> waitMs = busyRetryWaitMs(result, transfer->retries, kBusyRetries, kBusyLongestWaitMs);
    if (!waitMs)
        return false;
    transfer->fetch = nullptr;
    ++transfer->retries;
    QTimer::singleShot(*waitMs, this, [this, address] {
        // Unless every page waiting for it has gone, or another transfer has begun since.
        const auto waiting = m_transfers.find(address);
        if (waiting != m_transfers.end() && !waiting->fetch)
            waiting->fetch = startFetch(address, waiting->kind);
    });
    return true;
}

void ResourceLoader::transferDone(const QString& address, Fetch* fetch, const FetchResult& result)
{
    fetch->deleteLater();
    const auto transfer = m_transfers.constFind(address);
    if (transfer == m_transfers.constEnd() || transfer->fetch != fetch || askAgainLater(address, result))
        return;
    const QList<quint64> pages = transfer->pages;
    m_transfers.erase(transfer);
    if (result.failed)
        m_failed.insert(address);
    else if (result.kept)
        m_cache->store(address, result.body, result.contentType);
    else
        m_cache->storeSize(address, result.byteSize, result.contentType, result.head);
    for (const quint64 page : pages) {
        const auto waiter = m_waiters.find(page);
        if (waiter == m_waiters.end())
            continue;
        --waiter->active;
        deliver(page, address, !result.failed);
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
