#pragma once

#include "base/hashed_index.h"
#include "base/packed_texts.h"
#include "css/sheet_scan.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <list>
#include <memory>
#include <optional>

// The browsers' URL cache. The engine fills it; the document walk reads style sheets from
// it, the snapshot takes picture sizes from it and the downloads take pictures from it.
// Bytes are held in memory up to a budget, the least recently used leaving first; a file
// in a private temporary folder (removed with the cache) is written only when a caller
// asks for the path. The size of a resource stays known after its bytes have left, for the
// last entryLimit / 2 addresses at least: past entryLimit addresses, the older half of those
// that hold nothing else is forgotten, so that a search of millions of pictures keeps a
// bounded cache. Of a picture whose bytes were not kept, its first bytes may be held (in the
// same budget) until its dimensions have been read from them.
// Safe to use from several threads: the engine fills it on the event loop's thread while
// workers read pages.
class UrlCache {
public:
    static constexpr qint64 kDefaultBudget = 64 * 1024 * 1024;
    // About 60 MiB of addresses and their sizes.
    static constexpr quint32 kDefaultEntryLimit = 1u << 19;

    explicit UrlCache(qint64 budgetBytes = kDefaultBudget, quint32 entryLimit = kDefaultEntryLimit);
    UrlCache(const UrlCache&) = delete;
    UrlCache& operator=(const UrlCache&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Remembers the bytes under the address, replacing an earlier entry. Gives their size,
    // or nothing when they are larger than the whole budget: then only the size is kept.
    std::optional<qint64> store(const QString& address, const QByteArray& bytes,
                                 const QByteArray& contentType = {});
    // Remembers only the size of a resource whose bytes were not kept, and its first bytes
    // when head is given (for its dimensions).
    void storeSize(const QString& address, qint64 size, const QByteArray& contentType = {},
                   const QByteArray& head = {});
    // For an engine that measured the picture itself (a browser's naturalWidth/naturalHeight).
    // A width or height that is not positive tells nothing and is passed over.
    void storeDimensions(const QString& address, int width, int height);
    // The picture's dimensions from what is held (bytes or head, read with readPictureHeader
    // once and remembered; the head is then dropped), or nothing.
    std::optional<QSize> dimensions(const QString& address) const;

    // True while the bytes can be had, from memory or from a file written earlier.
    bool contains(const QString& address) const;
    std::optional<QByteArray> bytes(const QString& address) const;
    // Writes the file on first asking; nothing when the bytes are gone or it cannot be written.
    std::optional<QString> localFile(const QString& address) const;
    std::optional<qint64> byteSize(const QString& address) const;
    qint64 bytesInMemory() const;
    // The Content-Type stored with the address (empty when none came), or nothing when the
    // cache does not know the address.
    std::optional<QString> contentType(const QString& address) const;

    // True when the cache holds the address; then localFileName is the full path of the
    // file that holds its bytes, or empty when they are no longer held. On false
    // localFileName is left as it was.
    bool getCacheFileName(const QString& address, QString& localFileName) const;

    // What the style sheet at the address holds for the walk, scanned on first asking and
    // kept until the address is stored again; nothing while its bytes cannot be had.
    std::shared_ptr<const SheetScan> sheetScan(const QString& address) const;
    // How many sheet texts were scanned so far.
    quint64 sheetScansMade() const;

private:
    // What only some addresses have: their bytes or first bytes in memory, a file, a sheet's
    // scan. Most addresses have none of these after a while, so it is kept apart.
    struct Held {
        QByteArray bytes; // while in memory
        QByteArray head;  // the first bytes of what was not kept, until its dimensions are read
        QString path;     // once written
        std::list<quint32>::iterator recent; // place in m_recent while bytes or head are held
        bool inMemory = false; // the whole bytes are
        bool listed = false;   // in m_recent
        std::shared_ptr<const SheetScan> scan;
    };
    // One per address ever stored, a search's pictures by the hundred thousand: the address
    // packed once, the type as a number, the rest out of line.
    struct Entry {
        PackedTexts::Span address;
        qint64 size = 0;
        // Invalid until read from the bytes, then 0 x 0 when they told none: a picture's
        // header never gives a side of 0.
        QSize dimensions;
        quint32 version = 0; // changes with every store; a read outlasting 2^32 stores is none
        quint32 type = 0;    // in m_types
        std::unique_ptr<Held> held;
    };
    // These expect m_lock held.
    Entry* find(QStringView address) const;
    quint32 numberOf(const QString& address); // added when new
    // Forgets the older half of the entries that hold nothing but a size and a type.
    void forgetOldEntries();
    void forget(Entry& entry) const; // drops the bytes and the head from memory
    void touch(Entry& entry) const;
    // Counts what the entry now holds in memory, making room for it first.
    Held& hold(quint32 number, qint64 size);
    void replace(Entry& entry, qint64 size, const QByteArray& contentType); // all but the bytes
    std::optional<QByteArray> bytesOf(Entry& entry) const;
    std::optional<QString> localFileOf(Entry& entry) const;
    struct Start {
        QByteArray bytes;
        bool isWhole = false;
    };
    // The first bytes held for the entry: enough of them to read a picture's header.
    std::optional<Start> startOf(Entry& entry) const;

    qint64 m_budget;
    QTemporaryDir m_dir;
    quint32 m_entryLimit;
    // Asking for a file or for bytes changes what is held, never what the cache answers.
    // Numbers change only when old entries are forgotten, under the lock.
    mutable std::deque<Entry> m_entries;
    // Not a QHash by address: its node and key string took about 300 bytes an address, most
    // of a large search's memory; packed text and an index of numbers take about 60.
    PackedTexts m_addresses;
    HashedIndex m_index; // entry numbers by address
    QList<QString> m_types{QString()};  // the Content-Types that came, each once
    QHash<QByteArray, quint32> m_typeIds;
    QHash<QString, QSize> m_givenDimensions; // measured by the engine: they outlast any entry
    mutable std::list<quint32> m_recent; // entries in memory, least recently used first
    mutable qint64 m_inMemory = 0;
    mutable quint64 m_nextFile = 0;
    quint32 m_nextVersion = 0;
    mutable quint64 m_scansMade = 0;
    mutable QMutex m_lock;
};
