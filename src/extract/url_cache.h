#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTemporaryDir>

#include <list>
#include <optional>

// The browsers' URL cache. The engine fills it; the document walk reads style sheets from
// it, the snapshot takes picture sizes from it and the downloads take pictures from it.
// Bytes are held in memory up to a budget, the least recently used leaving first; a file
// in a private temporary folder (removed with the cache) is written only when a caller
// asks for the path. The size of a resource stays known after its bytes have left.
class UrlCache {
public:
    static constexpr qint64 kDefaultBudget = 64 * 1024 * 1024;

    explicit UrlCache(qint64 budgetBytes = kDefaultBudget);
    UrlCache(const UrlCache&) = delete;
    UrlCache& operator=(const UrlCache&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Remembers the bytes under the address, replacing an earlier entry. Gives their size,
    // or nothing when they are larger than the whole budget: then only the size is kept.
    std::optional<qint64> store(const QString& address, const QByteArray& bytes,
                                 const QByteArray& contentType = {});
    // Remembers only the size of a resource whose bytes were not kept.
    void storeSize(const QString& address, qint64 size, const QByteArray& contentType = {});

    // True while the bytes can be had, from memory or from a file written earlier.
    bool contains(const QString& address) const;
    std::optional<QByteArray> bytes(const QString& address) const;
    // Writes the file on first asking; nothing when the bytes are gone or it cannot be written.
    std::optional<QString> localFile(const QString& address) const;
    std::optional<qint64> byteSize(const QString& address) const;
    qint64 bytesInMemory() const { return m_inMemory; }
    // The Content-Type stored with the address (empty when none came), or nothing when the
    // cache does not know the address.
    std::optional<QString> contentType(const QString& address) const;

    // True when the cache holds the address; then localFileName is the full path of the
    // file that holds its bytes, or empty when they are no longer held. On false
    // localFileName is left as it was.
    bool getCacheFileName(const QString& address, QString& localFileName) const;

private:
    struct Entry {
        qint64 size = 0;
        QString contentType;
        QByteArray bytes; // while in memory
        QString path;     // once written
        std::list<QString>::iterator recent; // place in m_recent while in memory
        bool inMemory = false;
    };
    void forget(Entry& entry) const; // drops the bytes from memory
    void touch(Entry& entry) const;

    qint64 m_budget;
    QTemporaryDir m_dir;
    // Asking for a file or for bytes changes what is held, never what the cache answers.
    mutable QHash<QString, Entry> m_entries;
    mutable std::list<QString> m_recent; // addresses in memory, least recently used first
    mutable qint64 m_inMemory = 0;
    mutable quint64 m_nextFile = 0;
};
