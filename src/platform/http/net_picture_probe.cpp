#include "platform/http/net_picture_probe.h"

#include "formats/picture_header.h"
#include "platform/http/fetch.h"

#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>

using Verdict = PictureHeader::Verdict;

namespace {

// What the bytes told so far: nothing yet, until the reader says Known or Unknown.
const PictureHeader kUndecided{Verdict::NeedMore, 0, 0, 0};

} // namespace

struct NetPictureProbe::Probe {
    QString address;
    std::unique_ptr<Fetch> fetch;
    QByteArray bytes; // the body's start, at most kPictureHeaderMaxBytes
    PictureHeader header = kUndecided;
    PictureMeasure measure;
    int retries = 0; // after a 429 or 503
};

NetPictureProbe::NetPictureProbe(CurlSession* session, QObject* parent) : PictureProbe(parent), m_session(session)
{
}

NetPictureProbe::~NetPictureProbe() = default;

void NetPictureProbe::setDeadlines(int idleMs, int totalMs)
{
    m_idleTimeoutMs = idleMs;
    m_totalTimeoutMs = totalMs;
}

void NetPictureProbe::measure(const QString& address)
{
    if (m_seen.contains(address))
        return;
    m_seen.insert(address);
    m_queue.enqueue(address);
    pump();
}

void NetPictureProbe::pump()
{
    while (int(m_probes.size()) < kProbesAtOnce && !m_queue.isEmpty()) {
        m_probes.push_back(std::make_unique<Probe>());
        Probe& probe = *m_probes.back();
        probe.address = m_queue.dequeue();
        request(probe, 0);
    }
}

void NetPictureProbe::request(Probe& probe, qint64 from)
{
    const qint64 last = (from == 0 ? kFirstRangeBytes : kPictureHeaderMaxBytes) - 1;
    FetchExtras extras;
    extras.headers.append("Range: bytes=" + QByteArray::number(from) + '-' + QByteArray::number(last));
    extras.sink = [&probe](QByteArrayView bytes) {
        const qint64 room = kPictureHeaderMaxBytes - probe.bytes.size();
        probe.bytes.append(bytes.first(std::min<qint64>(room, bytes.size())));
        const bool full = probe.bytes.size() >= kPictureHeaderMaxBytes;
        if (probe.bytes.size() < probe.header.bytesWanted && !full)
            return SinkVerdict::More;
        probe.header = readPictureHeader(probe.bytes, false);
        switch (probe.header.verdict) {
        case Verdict::Known:
            return SinkVerdict::Enough;
        case Verdict::Unknown:
            return SinkVerdict::Refuse;
        case Verdict::NeedMore:
            break;
        }
        return full ? SinkVerdict::Enough : SinkVerdict::More;
    };
    FetchLimits limits;
    // A server that ignores the range may announce any length: the sink decides how much
    // is read, not the length.
    limits.bodyLimit = std::numeric_limits<qint64>::max();
    limits.keepLimit = 0;
    limits.idleTimeoutMs = m_idleTimeoutMs;
    limits.totalTimeoutMs = m_totalTimeoutMs;
    ++m_probesMade;
    probe.fetch = std::make_unique<Fetch>(m_session, QUrl(probe.address), nullptr, limits, Fetch::Method::Get, extras);
    connect(probe.fetch.get(), &Fetch::finished, this,
            [this, &probe, from](const FetchResult& result) { transferDone(probe, from, result); });
}

void NetPictureProbe::transferDone(Probe& probe, qint64 from, const FetchResult& result)
{
    probe.fetch.release()->deleteLater(); // its signal is being delivered
    m_bytesRead += result.byteSize;
    // An error answer gives the sink no bytes, so the range is asked again as it was.
    if (const std::optional<int> waitMs = busyRetryWaitMs(result, probe.retries, kBusyRetries, kBusyLongestWaitMs)) {
        ++probe.retries;
        QTimer::singleShot(*waitMs, this, [this, &probe, from] { request(probe, from); });
        return;
    }
    // Bytes of another range than the one asked for would be read as a header that lies.
    const bool usable = result.responded && (result.status == 206 || (from == 0 && result.status == 200));
    if (!usable) {
        probe.header = kUndecided;
        finish(probe);
        return;
    }
    if (from == 0) {
        probe.measure.contentType = QString::fromLatin1(result.contentType);
        probe.measure.byteSize = result.totalSize;
    }
    const qint64 end = from + result.byteSize;
    const bool whole = !result.failed && end < kPictureHeaderMaxBytes
                       && (result.status == 200 || result.totalSize == std::optional<qint64>(end));
    if (whole && probe.header.verdict != Verdict::Known)
        probe.header = readPictureHeader(probe.bytes, true);
    const bool moreToRead = from == 0 && !result.failed && result.status == 206 && end < kPictureHeaderMaxBytes
                            && (!result.totalSize || *result.totalSize > end);
    if (probe.header.verdict == Verdict::NeedMore && moreToRead) {
        request(probe, end);
        return;
    }
    finish(probe);
}

void NetPictureProbe::finish(Probe& probe)
{
    PictureMeasure measure = probe.measure;
    if (probe.header.verdict == Verdict::Known) {
        measure.width = probe.header.width;
        measure.height = probe.header.height;
    } else if (probe.header.verdict == Verdict::Unknown) {
        // Not a picture, or one whose header lies past every bound: no figures at all.
        measure.byteSize.reset();
    }
    const QString address = probe.address;
    std::erase_if(m_probes, [&probe](const std::unique_ptr<Probe>& running) { return running.get() == &probe; });
    pump();
    // A transfer's end comes from the event loop, so this does too.
    emit measured(address, measure);
}
