#include "extract/url_cache.h"

#include <QDir>
#include <QFile>

UrlCache::UrlCache() : m_dir(QDir::tempPath() + QStringLiteral("/quorvane-cache-XXXXXX")) {}

std::optional<QString> UrlCache::store(const QString& address, const QByteArray& bytes,
                                       const QByteArray& contentType)
{
    if (!m_dir.isValid())
        return std::nullopt;
    // Numbered names: an address is no safe file name, and a number never collides.
    const QString path = m_dir.filePath(QString::number(++m_nextFile));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.remove();
        return std::nullopt;
    }
    file.close();
    const auto old = m_entries.constFind(address);
    if (old != m_entries.constEnd())
        QFile::remove(old->path);
    m_entries.insert(address, Entry{path, bytes.size(), QString::fromLatin1(contentType)});
    return path;
}

std::optional<QString> UrlCache::localFile(const QString& address) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->path;
}

std::optional<qint64> UrlCache::byteSize(const QString& address) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->size;
}

std::optional<QString> UrlCache::contentType(const QString& address) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return it->contentType;
}

bool UrlCache::getCacheFileName(const QString& address, QString& localFileName) const
{
    const auto path = localFile(address);
    if (!path)
        return false;
    localFileName = *path;
    return true;
}
