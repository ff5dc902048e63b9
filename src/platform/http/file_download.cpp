#include "platform/http/file_download.h"

#include "platform/http/fetch.h"

#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace {

// A file-size limit (ulimit -f) would end the program at the write past it; ignored, the
// write fails with EFBIG and the download says why.
void ignoreFileSizeSignal()
{
    static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    Q_UNUSED(ignored);
}

bool isLackOfSpace(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

} // namespace

FileDownload::FileDownload(CurlSession* session, const QString& address, const QString& temporaryPath,
                           qint64 maxBytes, QObject* parent, const DownloadDeadlines& deadlines)
    : QObject(parent), m_file(temporaryPath), m_hash(QCryptographicHash::Sha256)
{
    ignoreFileSizeSignal();
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_diskFull = isLackOfSpace(errno);
        DownloadResult result;
        result.failure = m_file.errorString();
        result.diskFull = m_diskFull;
        QMetaObject::invokeMethod(this, [this, result] { end(result); }, Qt::QueuedConnection);
        return;
    }
    FetchLimits limits;
    limits.bodyLimit = maxBytes;
    limits.keepLimit = 0;
    limits.idleTimeoutMs = deadlines.idleMs;
    limits.totalTimeoutMs = deadlines.totalMs;
    FetchExtras extras;
    extras.sink = [this](QByteArrayView bytes) { return write(bytes) ? SinkVerdict::More : SinkVerdict::Refuse; };
    m_fetch = new Fetch(session, QUrl(address), this, limits, Fetch::Method::Get, extras);
    connect(m_fetch, &Fetch::finished, this, &FileDownload::transferDone);
}

FileDownload::~FileDownload()
{
    delete m_fetch; // aborts the transfer before the file goes
    if (m_file.isOpen()) { // not ended yet
        m_file.close();
        m_file.remove();
    }
}

bool FileDownload::write(QByteArrayView bytes)
{
    // Straight to the descriptor: its errno tells a full disk from other faults.
    const int descriptor = m_file.handle();
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            m_diskFull = isLackOfSpace(errno);
            m_writeFailure = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        written += count;
    }
    m_hash.addData(bytes);
    m_bytes += bytes.size();
    if (!m_progressQueued) {
        // One signal per turn of the event loop, and never from inside curl.
        m_progressQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_progressQueued)
                    return; // ended meanwhile: the result has the count
                m_progressQueued = false;
                emit progress(m_bytes);
            },
            Qt::QueuedConnection);
    }
    return true;
}

void FileDownload::transferDone(const FetchResult& result)
{
    m_fetch->deleteLater(); // its signal is being delivered
    m_fetch = nullptr;
    DownloadResult download;
    download.bytes = m_bytes;
    download.contentType = QString::fromLatin1(result.contentType);
    if (!m_writeFailure.isEmpty()) {
        download.failure = m_writeFailure;
        download.diskFull = m_diskFull;
    } else if (result.failed) {
        download.failure = result.error;
    } else {
        download.sha256 = m_hash.result();
    }
    end(download);
}

void FileDownload::end(DownloadResult result)
{
    m_progressQueued = false; // nothing after finished()
    // Only a file this download opened is its own to remove.
    const bool opened = m_file.isOpen();
    m_file.close();
    if (opened && result.failure.isEmpty() && m_file.error() != QFileDevice::NoError)
        result.failure = m_file.errorString(); // some file systems tell of a lack of space only now
    result.ok = result.failure.isEmpty();
    if (!result.ok) {
        result.sha256.clear();
        if (opened)
            m_file.remove();
    }
    emit finished(result);
}
