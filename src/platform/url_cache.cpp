#include "platform/url_cache.h"

#include "formats/picture_header.h"
#include "platform/stale_cache_folders.h"

#include <QDir>
#include <QFile>

UrlCache::UrlCache(qint64 budgetBytes)
    : m_budget(budgetBytes), m_dir(cacheFolderTemplate(QDir::tempPath()))
{
    // What a killed run left behind goes now, since that run never will.
    removeStaleCacheFolders(QDir::tempPath());
}

void UrlCache::forget(Entry& entry) const
{
    if (!entry.listed)
        return;
    m_inMemory -= entry.bytes.size() + entry.head.size();
    m_recent.erase(entry.recent);
    entry.bytes = QByteArray();
    entry.head = QByteArray();
    entry.inMemory = false;
    entry.listed = false;
}

void UrlCache::touch(Entry& entry) const
{
    if (entry.listed)
        m_recent.splice(m_recent.end(), m_recent, entry.recent);
}

void UrlCache::hold(Entry& entry, const QString& address, qint64 size)
{
    while (m_inMemory + size > m_budget && !m_recent.empty())
        forget(m_entries[m_recent.front()]);
    entry.listed = true;
    entry.recent = m_recent.insert(m_recent.end(), address);
    m_inMemory += size;
}

std::optional<qint64> UrlCache::store(const QString& address, const QByteArray& bytes,
                                      const QByteArray& contentType)
{
    // One lock for both steps: a reader never sees the entry between its size and its bytes.
    const QMutexLocker lock(&m_lock);
    Entry& entry = m_entries[address];
    replace(entry, bytes.size(), contentType);
    if (bytes.size() > m_budget)
        return std::nullopt;
    hold(entry, address, bytes.size());
    entry.bytes = bytes;
    entry.inMemory = true;
    return bytes.size();
}

void UrlCache::storeSize(const QString& address, qint64 size, const QByteArray& contentType,
                         const QByteArray& head)
{
    const QMutexLocker lock(&m_lock);
    Entry& entry = m_entries[address];
    replace(entry, size, contentType);
    if (head.isEmpty() || head.size() > m_budget)
        return;
    hold(entry, address, head.size());
    entry.head = head;
}

void UrlCache::storeDimensions(const QString& address, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    const QMutexLocker lock(&m_lock);
    m_givenDimensions.insert(address, QSize(width, height));
}

void UrlCache::replace(Entry& entry, qint64 size, const QByteArray& contentType)
{
    forget(entry);
    if (!entry.path.isEmpty())
        QFile::remove(entry.path);
    entry.path.clear();
    entry.size = size;
    entry.contentType = QString::fromLatin1(contentType);
    entry.version = ++m_nextVersion;
    entry.scan.reset();
    entry.dimensionsRead = false;
    entry.dimensions.reset();
}

bool UrlCache::contains(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.constFind(address);
    return it != m_entries.constEnd() && (it->inMemory || !it->path.isEmpty());
}

std::optional<QByteArray> UrlCache::bytesOf(Entry& entry) const
{
    if (entry.inMemory) {
        touch(entry);
        return entry.bytes;
    }
    QFile file(entry.path);
    if (entry.path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QByteArray> UrlCache::bytes(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.find(address);
    if (it == m_entries.end())
        return std::nullopt;
    return bytesOf(*it);
}

std::optional<QString> UrlCache::localFileOf(Entry& entry) const
{
    if (!entry.path.isEmpty())
        return entry.path;
    if (!entry.inMemory || !m_dir.isValid())
        return std::nullopt;
    // Numbered names: an address is no safe file name, and a number never collides.
    const QString path = m_dir.filePath(QString::number(++m_nextFile));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.bytes) != entry.bytes.size()) {
        file.remove();
        return std::nullopt;
    }
    // The file holds them now; memory is kept for what has no file.
    entry.path = path;
    forget(entry);
    return path;
}

std::optional<QString> UrlCache::localFile(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.find(address);
    if (it == m_entries.end())
        return std::nullopt;
    return localFileOf(*it);
}

std::optional<qint64> UrlCache::byteSize(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->size;
}

qint64 UrlCache::bytesInMemory() const
{
    const QMutexLocker lock(&m_lock);
    return m_inMemory;
}

std::optional<QString> UrlCache::contentType(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->contentType;
}

bool UrlCache::getCacheFileName(const QString& address, QString& localFileName) const
{
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.find(address);
    if (it == m_entries.end())
        return false;
    localFileName = localFileOf(*it).value_or(QString());
    return true;
}

std::shared_ptr<const SheetScan> UrlCache::sheetScan(const QString& address) const
{
    std::optional<QByteArray> bytes;
    quint64 version = 0;
    {
        const QMutexLocker lock(&m_lock);
        const auto it = m_entries.find(address);
        if (it == m_entries.end())
            return nullptr;
        if (it->scan)
            return it->scan;
        version = it->version;
        bytes = bytesOf(*it);
        if (!bytes)
            return nullptr;
        ++m_scansMade;
    }
    // Scanned without the lock, so that the engine and other readers are not kept waiting.
    auto scan = std::make_shared<const SheetScan>(scanSheet(decodeCachedText(*bytes)));
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.find(address);
    if (it == m_entries.end() || it->version != version)
        return scan; // stored again meanwhile: this scan is of the old bytes
    if (!it->scan)
        it->scan = scan;
    return it->scan;
}

quint64 UrlCache::sheetScansMade() const
{
    const QMutexLocker lock(&m_lock);
    return m_scansMade;
}

std::optional<UrlCache::Start> UrlCache::startOf(Entry& entry) const
{
    if (entry.inMemory) {
        touch(entry);
        return Start{entry.bytes, true};
    }
    if (!entry.head.isEmpty())
        return Start{entry.head, entry.head.size() >= entry.size};
    QFile file(entry.path);
    if (entry.path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // No picture's header lies further in than this.
    QByteArray start = file.read(kPictureHeaderMaxBytes);
    return Start{start, file.atEnd()};
}

std::optional<QSize> UrlCache::dimensions(const QString& address) const
{
    std::optional<Start> start;
    quint64 version = 0;
    {
        const QMutexLocker lock(&m_lock);
        if (const auto given = m_givenDimensions.constFind(address); given != m_givenDimensions.constEnd())
            return *given;
        const auto it = m_entries.find(address);
        if (it == m_entries.end())
            return std::nullopt;
        if (it->dimensionsRead)
            return it->dimensions;
        version = it->version;
        start = startOf(*it);
        if (!start)
            return std::nullopt;
    }
    // Read without the lock, as a sheet is scanned.
    const PictureHeader header = readPictureHeader(start->bytes, start->isWhole);
    std::optional<QSize> dimensions;
    if (header.verdict == PictureHeader::Verdict::Known)
        dimensions = QSize(header.width, header.height);
    const QMutexLocker lock(&m_lock);
    const auto it = m_entries.find(address);
    if (it == m_entries.end() || it->version != version)
        return dimensions;
    it->dimensionsRead = true;
    it->dimensions = dimensions;
    if (!it->inMemory)
        forget(*it); // the head has told what it could
    return dimensions;
}
