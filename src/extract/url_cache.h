#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// The browsers' URL cache: one plain file per resource in a private temporary folder that
// is removed with the cache. The engine fills it; the document walk reads style sheets from
// it and the downloads take pictures from it.
class UrlCache {
public:
    UrlCache();
    UrlCache(const UrlCache&) = delete;
    UrlCache& operator=(const UrlCache&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Writes the bytes to a new file and remembers it under the address (replacing an
    // earlier entry), with the Content-Type they came with. Gives the file's full path, or
    // nothing when it could not be written.
    std::optional<QString> store(const QString& address, const QByteArray& bytes,
                                 const QByteArray& contentType = {});
    bool contains(const QString& address) const { return m_entries.contains(address); }
    std::optional<QString> localFile(const QString& address) const;
    std::optional<qint64> byteSize(const QString& address) const;
    // The Content-Type stored with the address's bytes (empty when none came), or nothing
    // when the cache does not hold the address.
    std::optional<QString> contentType(const QString& address) const;

    // True when the cache holds the address; then localFileName is the full path of the
    // file that holds its bytes. On false localFileName is left as it was.
    bool getCacheFileName(const QString& address, QString& localFileName) const;

private:
    struct Entry {
        QString path;
        qint64 size = 0;
        QString contentType;
    };
    QTemporaryDir m_dir;
    QHash<QString, Entry> m_entries;
    quint64 m_nextFile = 0;
};
