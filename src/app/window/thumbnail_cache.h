#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <memory>

class CurlSession;
class UrlCache;

// The grid's thumbnails: each picture scaled to fit a square, decoded on worker threads at
// that size from the bytes the URL cache holds or, when it holds none, from one bounded
// fetch of the address. Decoded thumbnails are kept in one cache bounded in bytes; a picture
// that cannot be had or decoded is remembered as such. Only what the grid asks for since it
// last scrolled is decoded.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    static constexpr int kSide = 128;                        // pixels
    static constexpr qint64 kDefaultBudget = 64 * 1024 * 1024; // bytes of decoded pixels
    static constexpr int kParallel = 4;                      // decodes and fetches at a time
    static constexpr qint64 kFetchBytes = 16 * 1024 * 1024;  // a larger picture is not fetched whole
    static constexpr int kFetchTotalMs = 30'000;
    static constexpr int kFetchIdleMs = 15'000;

    enum class State { Missing, Ready, Undecodable };

    // cache may be null; without curl the thumbnails make their own session.
    ThumbnailCache(const UrlCache* cache, CurlSession* curl, qint64 budgetBytes = kDefaultBudget,
                   QObject* parent = nullptr);
    ~ThumbnailCache() override;

    State state(const QString& address) const;
    // The thumbnail, or a null image while it is not ready.
    QImage thumbnail(const QString& address) const;
    // Asks for the thumbnail; ready() tells when it is there.
    void want(const QString& address);
    // Forgets what was asked and not yet begun: the grid has scrolled.
    void dropWaiting();

    qint64 bytesHeld() const { return m_images.totalCost(); }
    qint64 budget() const { return m_images.maxCost(); }
    int decodesBegun() const { return m_decodesBegun; }

    // The picture in bytes scaled to fit side x side (never enlarged), read at that size where
    // the format allows; a null image when it cannot be decoded.
    static QImage decode(const QByteArray& bytes, int side);

signals:
    void ready(const QString& address);

private:
    struct Entry {
        QImage image; // null: the picture cannot be had or decoded
    };
    void pump();
    void begin(const QString& address);
    void decodeOnWorker(const QString& address, const QByteArray& bytes);
    void settle(const QString& address, const QImage& image);

    const UrlCache* m_urlCache;
    CurlSession* m_curl;
    std::unique_ptr<CurlSession> m_ownCurl;
    mutable QCache<QString, Entry> m_images;
    std::deque<QString> m_waiting; // newest first
    QSet<QString> m_busy;          // waiting or begun
    int m_running = 0;
    int m_decodesBegun = 0;
    QThreadPool m_pool;
};
