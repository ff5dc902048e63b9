#include "app/downloads/picture_downloads.h"

#include "formats/picture_header.h"
#include "lists/picture_table.h"
#include "platform/http/curl_session.h"
#include "platform/http/file_download.h"
#include "platform/url_cache.h"
#include "text/address_kinds.h"
#include "text/download_file_name.h"
#include "text/safe_file_name.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryFile>
#include <QUrl>

#include <csignal>
#include <utility>

namespace {

// Another program may take a free name between our look and our rename.
constexpr int kNameAttempts = 100;

std::optional<QByteArray> fileDigest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return std::nullopt;
    return hash.result();
}

} // namespace

struct PictureDownloads::Loading {
    Job job;
    QString partPath;
    std::unique_ptr<FileDownload> download;
    qint64 received = 0;
};

QString PictureDownloads::partPrefix() { return QStringLiteral(".quorvane-"); }
QString PictureDownloads::partSuffix() { return QStringLiteral(".part"); }
QString PictureDownloads::waitingText() { return QStringLiteral("等待下载"); }
QString PictureDownloads::loadingText() { return QStringLiteral("正在下载"); }
QString PictureDownloads::doneText() { return QStringLiteral("下载完成"); }
QString PictureDownloads::sameAsText(const QString& fileName)
{
    return QStringLiteral("下载完成：与 %1 相同").arg(fileName);
}
QString PictureDownloads::failedText(const QString& reason)
{
    return QStringLiteral("下载失败：") + reason;
}
bool PictureDownloads::isDone(const QString& status)
{
    return status.startsWith(doneText());
}

PictureDownloads::PictureDownloads(PictureTable& table, CurlSession* curl, const UrlCache* cache,
                                   QObject* parent)
    : QObject(parent), m_table(table), m_curl(curl), m_cache(cache)
{
    // A file-size limit then fails a write, which is told as a full disk, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!m_curl) {
        m_ownCurl = std::make_unique<CurlSession>();
        m_curl = m_ownCurl.get();
    }
}

PictureDownloads::~PictureDownloads()
{
    stop();
    m_retired.clear();
}

void PictureDownloads::setBounds(qint64 maxFileBytes, const DownloadDeadlines& deadlines)
{
    m_maxFileBytes = maxFileBytes;
    m_deadlines = deadlines;
}

PictureDownloads::Tally PictureDownloads::tally() const
{
    Tally tally = m_tally;
    for (const auto& [key, loading] : m_loading)
        tally.bytes += loading->received;
    return tally;
}

void PictureDownloads::downloadAll(const QString& folder, const std::function<bool(int row)>& wanted)
{
    m_fatal.clear();
    for (int row = 0; row < m_table.size(); ++row) {
        const PictureRow picture = m_table.row(row);
        if (isDone(picture.downloadStatus) || m_queued.contains(picture.address) || (wanted && !wanted(row)))
            continue;
        m_waiting.push_back({picture.address, folder});
        m_queued.insert(picture.address);
        m_table.setCell(row, PictureTable::DownloadStatus, waitingText());
        m_active = true;
    }
    schedulePump();
}

void PictureDownloads::stop()
{
    const std::deque<Job> waiting = std::exchange(m_waiting, {});
    for (const Job& job : waiting)
        setStatus(job.address, QString());
    auto loading = std::exchange(m_loading, {});
    for (auto& [key, download] : loading) {
        download->download.reset(); // aborts the transfer and removes its file
        setStatus(download->job.address, QString());
    }
    m_queued.clear();
    reportIdle();
}

PictureDownloads::Folder& PictureDownloads::prepare(const QString& path)
{
    const auto found = m_folders.find(path);
    if (found != m_folders.end())
        return found->second;
    Folder& folder = m_folders[path];
    folder.dir = QDir(path);
    if (!QDir().mkpath(path)) {
        folder.failure = QStringLiteral("cannot make the folder %1").arg(path);
        return folder;
    }
    // What an earlier run left when it was killed mid-file.
    const QString pattern = partPrefix() + QLatin1Char('*') + partSuffix();
    for (const QString& stale : folder.dir.entryList({pattern}, QDir::Files | QDir::Hidden))
        folder.dir.remove(stale);
    for (const QFileInfo& file : folder.dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        folder.unread.insert(file.size(), file.fileName());
    return folder;
}

void PictureDownloads::schedulePump()
{
    if (m_pumpScheduled)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, &PictureDownloads::pump, Qt::QueuedConnection);
}

void PictureDownloads::pump()
{
    m_pumpScheduled = false;
    m_retired.clear();
    // A few jobs per pass, so that copies from the cache leave the event loop free.
    for (int started = 0; started < kParallel && !m_waiting.empty() && int(m_loading.size()) < kParallel;
         ++started) {
        const Job job = m_waiting.front();
        m_waiting.pop_front();
        start(job);
    }
    if (!m_waiting.empty() && int(m_loading.size()) < kParallel)
        schedulePump();
    else
        reportIdle();
}

void PictureDownloads::reportIdle()
{
    if (m_active && !isBusy()) {
        m_active = false;
        emit finished();
    }
}

void PictureDownloads::start(const Job& job)
{
    setStatus(job.address, loadingText());
    Folder& folder = prepare(job.folder);
    if (!folder.failure.isEmpty()) {
        fail(job.address, folder.failure);
        endAll(folder.failure);
        return;
    }
    QTemporaryFile part(folder.dir.filePath(partPrefix() + QStringLiteral("XXXXXX") + partSuffix()));
    part.setAutoRemove(false);
    if (!part.open()) {
        const QString reason = QStringLiteral("cannot write in %1: %2").arg(job.folder, part.errorString());
        fail(job.address, part.errorString());
        endAll(reason);
        return;
    }
    const QString partPath = part.fileName();
    part.close();
    if (m_cache && m_cache->contains(job.address))
        copyFromCache(job, partPath);
    else if (!isWebAddress(job.address)) {
        QFile::remove(partPath);
        fail(job.address, QStringLiteral("不是网址"));
    } else {
        fetch(job, partPath);
    }
}

void PictureDownloads::copyFromCache(const Job& job, const QString& partPath)
{
    const std::optional<QByteArray> bytes = m_cache->bytes(job.address);
    if (!bytes) { // gone from the cache since
        fetch(job, partPath);
        return;
    }
    QFile part(partPath);
    if (!part.open(QIODevice::WriteOnly) || part.write(*bytes) != bytes->size() || !part.flush()) {
        const QString reason = part.errorString();
        part.remove();
        fail(job.address, reason);
        endAll(QStringLiteral("cannot write in %1: %2").arg(job.folder, reason));
        return;
    }
    part.close();
    m_tally.bytes += bytes->size();
    const std::optional<QString> type = m_cache->contentType(job.address);
    keep(job, partPath, QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256), type.value_or(QString()));
}

void PictureDownloads::fetch(const Job& job, const QString& partPath)
{
    auto loading = std::make_unique<Loading>();
    const quint64 id = ++m_nextId;
    loading->job = job;
    loading->partPath = partPath;
    loading->download = std::make_unique<FileDownload>(m_curl, job.address, partPath, m_maxFileBytes, nullptr,
                                                       m_deadlines);
    Loading* state = loading.get();
    connect(loading->download.get(), &FileDownload::progress, this, [this, state](qint64 received) {
        state->received = received;
        emit progressed();
    });
    connect(loading->download.get(), &FileDownload::finished, this, [this, id](const DownloadResult& result) {
        fetched(id, result);
    });
    m_loading.emplace(id, std::move(loading));
}

void PictureDownloads::fetched(quint64 id, const DownloadResult& result)
{
    const auto found = m_loading.find(id);
    if (found == m_loading.end())
        return;
    std::unique_ptr<Loading> loading = std::move(found->second);
    m_loading.erase(found);
    loading->download->disconnect(this);
    m_retired.push_back(std::move(loading->download)); // we are inside its own signal
    if (!result.ok) {
        QFile::remove(loading->partPath); // made before the download could open it
        fail(loading->job.address, result.failure);
        if (result.diskFull)
            endAll(QStringLiteral("cannot write in %1: %2").arg(loading->job.folder, result.failure));
    } else {
        m_tally.bytes += result.bytes;
        keep(loading->job, loading->partPath, result.sha256, result.contentType);
    }
    schedulePump();
}

void PictureDownloads::keep(const Job& job, const QString& partPath, const QByteArray& digest,
                            const QString& contentType)
{
    Folder& folder = prepare(job.folder);
    m_queued.remove(job.address);
    const std::optional<int> row = m_table.rowOfAddress(job.address);

    // The dimensions from the saved bytes; a picture whose header says nothing keeps the
    // figures it had.
    QFile part(partPath);
    if (row && part.open(QIODevice::ReadOnly)) {
        const QByteArray start = part.read(kPictureHeaderMaxBytes);
        const PictureHeader header = readPictureHeader(start, start.size() == part.size());
        if (header.verdict == PictureHeader::Verdict::Known) {
            m_table.setCell(*row, PictureTable::Width, QString::number(header.width));
            m_table.setCell(*row, PictureTable::Height, QString::number(header.height));
        }
        part.close();
    }

    if (const std::optional<QString> holder = sameContent(folder, partPath, digest)) {
        part.remove();
        ++m_tally.same;
        setStatus(job.address, sameAsText(*holder));
        emit progressed();
        return;
    }
    const QString address = job.address;
    const std::optional<QString> typeFromProbe = m_cache ? m_cache->contentType(address) : std::nullopt;
    const QString name = downloadFileName(address, contentType.isEmpty() ? typeFromProbe.value_or(QString()) : contentType);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString taken = freeFileName(folder.dir, name);
        // QFile::rename never replaces an existing file.
        if (part.rename(folder.dir.filePath(taken))) {
            folder.byDigest.insert(digest, taken);
            ++m_tally.saved;
            setStatus(address, doneText());
            emit progressed();
            return;
        }
    }
    const QString reason = part.errorString();
    part.remove();
    fail(address, reason);
}

std::optional<QString> PictureDownloads::sameContent(Folder& folder, const QString& partPath,
                                                     const QByteArray& digest)
{
    if (const auto found = folder.byDigest.constFind(digest); found != folder.byDigest.cend()
        && folder.dir.exists(found.value()))
        return found.value();
    // Files of another size cannot hold the same bytes; those of this size are read once.
    const qint64 size = QFileInfo(partPath).size();
    const QStringList sameSize = folder.unread.values(size);
    folder.unread.remove(size);
    std::optional<QString> holder;
    for (const QString& name : sameSize) {
        const std::optional<QByteArray> other = fileDigest(folder.dir.filePath(name));
        if (!other)
            continue;
        folder.byDigest.insert(*other, name);
        if (*other == digest && !holder)
            holder = name;
    }
    return holder;
}

void PictureDownloads::fail(const QString& address, const QString& reason)
{
    m_queued.remove(address);
    ++m_tally.failed;
    setStatus(address, failedText(reason));
    emit progressed();
}

void PictureDownloads::endAll(const QString& message)
{
    if (m_fatal.isEmpty())
        m_fatal = message;
    // stop() clears the statuses of the rest: a later run takes them up again.
    stop();
}

void PictureDownloads::setStatus(const QString& address, const QString& text)
{
    if (const std::optional<int> row = m_table.rowOfAddress(address))
        m_table.setCell(*row, PictureTable::DownloadStatus, text);
}
