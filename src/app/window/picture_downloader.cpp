#include "app/window/picture_downloader.h"

#include "extract/url_cache.h"
#include "lists/picture_table.h"
#include "lists/safe_file_name.h"

#include <QFile>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

namespace {

constexpr int maxRedirects = 20;
constexpr qint64 copyChunk = 64 * 1024;

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

QString PictureDownloader::waitingText() { return QStringLiteral("等待下载"); }
QString PictureDownloader::loadingText() { return QStringLiteral("正在下载"); }
QString PictureDownloader::doneText() { return QStringLiteral("下载完成"); }
QString PictureDownloader::failedText(const QString& reason)
{
    return QStringLiteral("下载失败：") + reason;
}

PictureDownloader::PictureDownloader(PictureTable& table, QNetworkAccessManager& network,
                                     const UrlCache* cache, QObject* parent)
    : QObject(parent), m_table(table), m_network(network), m_cache(cache)
{
}

PictureDownloader::~PictureDownloader()
{
    stop();
}

void PictureDownloader::downloadAll(const QString& folder)
{
    for (int row = 0; row < m_table.size(); ++row) {
        const PictureRow& picture = m_table.row(row);
        if (picture.downloadStatus == doneText() || m_queued.contains(picture.address))
            continue;
        m_waiting.push_back({picture.address, folder});
        m_queued.insert(picture.address);
        m_table.setCell(row, PictureTable::DownloadStatus, waitingText());
        m_active = true;
    }
    schedulePump();
}

void PictureDownloader::stop()
{
    const std::deque<Job> waiting = std::exchange(m_waiting, {});
    for (const Job& job : waiting)
        setStatus(job.address, QString());

    // Taken out first: abort() reports the end of the reply at once.
    std::unordered_map<QNetworkReply*, Loading> loading = std::exchange(m_loading, {});
    for (auto& [reply, download] : loading) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
        download.file->remove();
        setStatus(download.address, QString());
    }
    m_queued.clear();
    reportIdle();
}

void PictureDownloader::schedulePump()
{
    if (m_pumpScheduled)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, &PictureDownloader::pump, Qt::QueuedConnection);
}

void PictureDownloader::pump()
{
    m_pumpScheduled = false;
    // A few jobs per pass, so that copies from the cache leave the window responsive.
    for (int started = 0; started < parallelDownloads && !m_waiting.empty()
         && int(m_loading.size()) < parallelDownloads;
         ++started) {
        const Job job = m_waiting.front();
        m_waiting.pop_front();
        start(job);
    }
    if (!m_waiting.empty() && int(m_loading.size()) < parallelDownloads)
        schedulePump();
    else
        reportIdle();
}

void PictureDownloader::reportIdle()
{
    if (m_active && !isBusy()) {
        m_active = false;
        emit finished();
    }
}

void PictureDownloader::start(const Job& job)
{
    setStatus(job.address, loadingText());
    QString failure;
    std::unique_ptr<QFile> file = createTarget(job.folder, job.address, failure);
    if (!file) {
        fail(job.address, nullptr, failure);
        return;
    }

    if (m_cache && m_cache->contains(job.address)) {
        if (copyFromCache(job.address, *file, failure))
            succeed(job.address, *file);
        else
            fail(job.address, file.get(), failure);
        return;
    }

    const QUrl url(job.address);
    if (!isWebAddress(url)) {
        fail(job.address, file.get(), QStringLiteral("不是网址"));
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    request.setTransferTimeout(stallTimeoutMs);
    QNetworkReply* reply = m_network.get(request);
    m_loading.emplace(reply, Loading{job.address, std::move(file), QString()});
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { receive(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

bool PictureDownloader::copyFromCache(const QString& address, QFile& target, QString& failure)
{
    const std::optional<QString> cached = m_cache->localFile(address);
    QFile source(cached.value_or(QString()));
    if (!cached || !source.open(QIODevice::ReadOnly)) {
        failure = QStringLiteral("缓存文件无法读取");
        return false;
    }
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(copyChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            failure = source.errorString();
            return false;
        }
        if (target.write(chunk) != chunk.size()) {
            failure = target.errorString();
            return false;
        }
    }
    return true;
}

void PictureDownloader::receive(QNetworkReply* reply)
{
    const auto it = m_loading.find(reply);
    if (it == m_loading.end() || !it->second.failure.isEmpty())
        return;
    Loading& download = it->second;
    const QByteArray bytes = reply->readAll();
    if (download.file->size() + bytes.size() > maxPictureBytes)
        download.failure = QStringLiteral("文件太大");
    else if (download.file->write(bytes) != bytes.size())
        download.failure = download.file->errorString();
    if (!download.failure.isEmpty())
        reply->abort(); // finish() follows at once and reports the failure
}

void PictureDownloader::finish(QNetworkReply* reply)
{
    reply->deleteLater();
    if (!m_loading.contains(reply))
        return;
    if (reply->error() == QNetworkReply::NoError)
        receive(reply); // whatever is still unread
    const auto node = m_loading.extract(reply);
    if (node.empty())
        return; // receive() gave up, and finish() already ran inside its abort()
    Loading loading = std::move(node.mapped());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!loading.failure.isEmpty())
        fail(loading.address, loading.file.get(), loading.failure);
    else if (status >= 400)
        fail(loading.address, loading.file.get(), QStringLiteral("HTTP %1").arg(status));
    else if (reply->error() != QNetworkReply::NoError)
        fail(loading.address, loading.file.get(), reply->errorString());
    else
        succeed(loading.address, *loading.file);
    schedulePump();
}

void PictureDownloader::succeed(const QString& address, QFile& file)
{
    if (!file.flush()) {
        fail(address, &file, file.errorString());
        return;
    }
    file.close();
    m_queued.remove(address);
    const std::optional<int> row = m_table.rowOfAddress(address);
    if (!row)
        return;
    // The size as the picture's header gives it; formats without one are read whole, within
    // the reader's allocation limit.
    QSize size = QImageReader(file.fileName()).size();
    if (!size.isValid())
        size = QImageReader(file.fileName()).read().size();
    m_table.setCell(*row, PictureTable::Width, size.isValid() ? QString::number(size.width()) : QString());
    m_table.setCell(*row, PictureTable::Height, size.isValid() ? QString::number(size.height()) : QString());
    m_table.setCell(*row, PictureTable::DownloadStatus, doneText());
}

void PictureDownloader::fail(const QString& address, QFile* file, const QString& reason)
{
    if (file)
        file->remove(); // no partial pictures
    m_queued.remove(address);
    setStatus(address, failedText(reason));
}

void PictureDownloader::setStatus(const QString& address, const QString& text)
{
    if (const std::optional<int> row = m_table.rowOfAddress(address))
        m_table.setCell(*row, PictureTable::DownloadStatus, text);
}

std::unique_ptr<QFile> PictureDownloader::createTarget(const QString& folder,
                                                       const QString& address,
                                                       QString& failure) const
{
    const std::optional<int> row = m_table.rowOfAddress(address);
    const QString name = safeFileName(row ? m_table.row(*row).fileName : QString());
    const QDir dir(folder);
    // Another program may take the free name first; then the next one is tried.
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto file = std::make_unique<QFile>(dir.filePath(freeFileName(dir, name)));
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file;
        failure = file->errorString();
        if (!file->exists())
            return nullptr;
    }
    return nullptr;
}
