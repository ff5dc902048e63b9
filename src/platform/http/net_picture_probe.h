#pragma once

#include "platform/http/curl_session.h"
#include "platform/picture_probe.h"

#include <QPointer>
#include <QQueue>
#include <QSet>

#include <memory>
#include <vector>

struct FetchResult;

// The picture probe of the net engine: a GET of the first 64 KiB (Range), whose body goes to
// the picture header reader as it arrives and ends as soon as the dimensions are known; a
// server that ignores the range is read only as far. A picture whose header lies past the
// first range (a JPEG behind a large EXIF block) gets one more range, up to
// kPictureHeaderMaxBytes in all. A few probes at a time, each address once per run.
class NetPictureProbe : public PictureProbe {
    Q_OBJECT
public:
    static constexpr int kProbesAtOnce = 4;
    // All at once to one host still leave the pages some of its connections.
    static_assert(kProbesAtOnce < CurlSession::kConnectionsPerHost);
    static constexpr qint64 kFirstRangeBytes = 64 * 1024;
    static constexpr int kIdleTimeoutMs = 15'000;
    static constexpr int kTotalTimeoutMs = 30'000; // each transfer
    // A 429 or 503 is asked again, as a page's resources are (twice, waits up to 5 s).
    static constexpr int kBusyRetries = 2;
    static constexpr int kBusyLongestWaitMs = 5'000;

    explicit NetPictureProbe(CurlSession* session, QObject* parent = nullptr);
    ~NetPictureProbe() override;

    void setDeadlines(int idleMs, int totalMs);
    void measure(const QString& address) override;
    bool isBusy() const override { return !m_queue.isEmpty() || !m_probes.empty(); }
    qint64 probesMade() const override { return m_probesMade; }
    qint64 bytesRead() const override { return m_bytesRead; }

private:
    struct Probe;
    void pump();
    void request(Probe& probe, qint64 from);
    void transferDone(Probe& probe, qint64 from, const FetchResult& result);
    void finish(Probe& probe);

    QPointer<CurlSession> m_session;
    int m_idleTimeoutMs = kIdleTimeoutMs;
    int m_totalTimeoutMs = kTotalTimeoutMs;
    QSet<QString> m_seen; // for the whole run: measured, under way or queued
    QQueue<QString> m_queue;
    std::vector<std::unique_ptr<Probe>> m_probes; // under way
    qint64 m_probesMade = 0;
    qint64 m_bytesRead = 0;
};
