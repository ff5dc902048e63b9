#include "app/window/thumbnail_cache.h"

#include "platform/http/curl_session.h"
#include "platform/http/fetch.h"
#include "platform/url_cache.h"
#include "text/address_kinds.h"

#include <QBuffer>
#include <QFutureWatcher>
#include <QImageReader>
#include <QPointer>
#include <QUrl>
#include <QtConcurrent>

namespace {

// Cells asked for and not yet begun; older ones have scrolled out of view.
constexpr size_t kMaxWaiting = 256;
// What a picture that cannot be decoded costs in the cache: its address, roughly.
constexpr int kUndecodableCost = 256;

} // namespace

ThumbnailCache::ThumbnailCache(const UrlCache* cache, CurlSession* curl, qint64 budgetBytes, QObject* parent)
    : QObject(parent), m_urlCache(cache), m_curl(curl)
{
    if (!m_curl) {
        m_ownCurl = std::make_unique<CurlSession>();
        m_curl = m_ownCurl.get();
    }
    m_images.setMaxCost(budgetBytes);
    m_pool.setMaxThreadCount(2);
}

ThumbnailCache::~ThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

ThumbnailCache::State ThumbnailCache::state(const QString& address) const
{
    const Entry* entry = m_images.object(address);
    if (!entry)
        return State::Missing;
    return entry->image.isNull() ? State::Undecodable : State::Ready;
}

QImage ThumbnailCache::thumbnail(const QString& address) const
{
    const Entry* entry = m_images.object(address);
    return entry ? entry->image : QImage();
}

void ThumbnailCache::want(const QString& address)
{
    if (m_images.contains(address) || m_busy.contains(address))
        return;
    m_waiting.push_front(address);
    m_busy.insert(address);
    while (m_waiting.size() > kMaxWaiting) {
        m_busy.remove(m_waiting.back());
        m_waiting.pop_back();
    }
    pump();
}

void ThumbnailCache::dropWaiting()
{
    for (const QString& address : m_waiting)
        m_busy.remove(address);
    m_waiting.clear();
}

void ThumbnailCache::pump()
{
    while (m_running < kParallel && !m_waiting.empty()) {
        const QString address = m_waiting.front();
        m_waiting.pop_front();
        ++m_running;
        begin(address);
    }
}

void ThumbnailCache::begin(const QString& address)
{
    if (m_urlCache) {
        if (const std::optional<QByteArray> bytes = m_urlCache->bytes(address)) {
            decodeOnWorker(address, *bytes);
            return;
        }
    }
    if (!isWebAddress(address)) {
        settle(address, {});
        return;
    }
    FetchLimits limits;
    limits.bodyLimit = kFetchBytes;
    limits.keepLimit = kFetchBytes;
    limits.totalTimeoutMs = kFetchTotalMs;
    limits.idleTimeoutMs = kFetchIdleMs;
    auto* fetch = new Fetch(m_curl, QUrl(address), this, limits);
    connect(fetch, &Fetch::finished, this, [this, fetch, address](const FetchResult& result) {
        fetch->deleteLater();
        if (result.failed || !result.kept)
            settle(address, {});
        else
            decodeOnWorker(address, result.body);
    });
}

void ThumbnailCache::decodeOnWorker(const QString& address, const QByteArray& bytes)
{
    ++m_decodesBegun;
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, address] {
        watcher->deleteLater();
        settle(address, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, &ThumbnailCache::decode, bytes, kSide));
}

void ThumbnailCache::settle(const QString& address, const QImage& image)
{
    --m_running;
    m_busy.remove(address);
    const qint64 cost = image.isNull() ? kUndecodableCost : image.sizeInBytes();
    m_images.insert(address, new Entry{image}, cost);
    emit ready(address);
    pump();
}

QImage ThumbnailCache::decode(const QByteArray& bytes, int side)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > side || size.height() > side))
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // Readers that cannot tell the size first give the whole picture.
    if (image.width() > side || image.height() > side)
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
