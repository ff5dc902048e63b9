#include "platform/url_cache.h"

#include "formats/picture_header.h"
#include "platform/stale_cache_folders.h"

#include <QDir>
#include <QFile>

UrlCache::UrlCache(qint64 budgetBytes, quint32 entryLimit)
    : m_budget(budgetBytes), m_entryLimit(std::max(entryLimit, 2u)), m_dir(cacheFolderTemplate(QDir::tempPath()))
{
    // What a killed run left behind goes now, since that run never will.
    removeStaleCacheFolders(QDir::tempPath());
}

UrlCache::Entry* UrlCache::find(QStringView address) const
{
    const std::optional<quint32> number = m_index.find(HashedIndex::hashOf(address), [&](quint32 number) {
        return m_addresses.equals(m_entries[number].address, address);
    });
    return number ? &m_entries[*number] : nullptr;
}

quint32 UrlCache::numberOf(const QString& address)
{
    if (m_entries.size() >= m_entryLimit && !find(address))
        forgetOldEntries();
    const auto next = quint32(m_entries.size());
    const std::optional<quint32> known = m_index.findOrInsert(HashedIndex::hashOf(address), next, [&](quint32 number) {
        return m_addresses.equals(m_entries[number].address, address);
    });
    if (known)
        return *known;
    m_entries.emplace_back().address = m_addresses.append(address);
    return next;
}

void UrlCache::forgetOldEntries()
{
    const size_t oldEnd = m_entries.size() / 2;
    std::deque<Entry> kept;
    PackedTexts addresses;
    HashedIndex index;
    std::vector<quint32> renumbered(m_entries.size(), 0);
    for (size_t number = 0; number < m_entries.size(); ++number) {
        Entry& entry = m_entries[number];
        if (number < oldEnd && !entry.held)
            continue;
        const QString address = m_addresses.text(entry.address);
        renumbered[number] = quint32(kept.size());
        index.findOrInsert(HashedIndex::hashOf(address), quint32(kept.size()), [](quint32) { return false; });
        entry.address = addresses.append(address);
        kept.push_back(std::move(entry));
    }
    // The list of entries in memory keeps its order and its nodes, which the entries point to.
    for (quint32& number : m_recent)
        number = renumbered[number];
    m_entries = std::move(kept);
    m_addresses = std::move(addresses);
    m_index = std::move(index);
}

void UrlCache::forget(Entry& entry) const
{
    Held* held = entry.held.get();
    if (!held)
        return;
    if (held->listed) {
        m_inMemory -= held->bytes.size() + held->head.size();
        m_recent.erase(held->recent);
        held->bytes = QByteArray();
        held->head = QByteArray();
        held->inMemory = false;
        held->listed = false;
    }
    if (held->path.isEmpty() && !held->scan)
        entry.held.reset();
}

void UrlCache::touch(Entry& entry) const
{
    if (entry.held && entry.held->listed)
        m_recent.splice(m_recent.end(), m_recent, entry.held->recent);
}

UrlCache::Held& UrlCache::hold(quint32 number, qint64 size)
{
    while (m_inMemory + size > m_budget && !m_recent.empty())
        forget(m_entries[m_recent.front()]);
    Entry& entry = m_entries[number];
    if (!entry.held)
        entry.held = std::make_unique<Held>();
    entry.held->listed = true;
    entry.held->recent = m_recent.insert(m_recent.end(), number);
    m_inMemory += size;
    return *entry.held;
}

std::optional<qint64> UrlCache::store(const QString& address, const QByteArray& bytes,
                                      const QByteArray& contentType)
{
    // One lock for both steps: a reader never sees the entry between its size and its bytes.
    const QMutexLocker lock(&m_lock);
    const quint32 number = numberOf(address);
    replace(m_entries[number], bytes.size(), contentType);
    if (bytes.size() > m_budget)
        return std::nullopt;
    Held& held = hold(number, bytes.size());
    held.bytes = bytes;
    held.inMemory = true;
    return bytes.size();
}

void UrlCache::storeSize(const QString& address, qint64 size, const QByteArray& contentType,
                         const QByteArray& head)
{
    const QMutexLocker lock(&m_lock);
    const quint32 number = numberOf(address);
    replace(m_entries[number], size, contentType);
    if (head.isEmpty() || head.size() > m_budget)
        return;
    hold(number, head.size()).head = head;
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
    if (entry.held) {
        if (!entry.held->path.isEmpty())
            QFile::remove(entry.held->path);
        entry.held->path.clear();
        entry.held->scan.reset();
        forget(entry);
    }
    entry.size = size;
    // A handful of types serve a whole site: each is kept once.
    const auto type = m_typeIds.constFind(contentType);
    if (type != m_typeIds.constEnd()) {
        entry.type = *type;
    } else if (contentType.isEmpty()) {
        entry.type = 0;
    } else {
        entry.type = quint32(m_types.size());
        m_types.append(QString::fromLatin1(contentType));
        m_typeIds.insert(contentType, entry.type);
    }
    entry.version = ++m_nextVersion;
    entry.dimensions = QSize();
}

bool UrlCache::contains(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const Entry* entry = find(address);
    return entry && entry->held && (entry->held->inMemory || !entry->held->path.isEmpty());
}

std::optional<QByteArray> UrlCache::bytesOf(Entry& entry) const
{
    if (!entry.held)
        return std::nullopt;
    if (entry.held->inMemory) {
        touch(entry);
        return entry.held->bytes;
    }
    QFile file(entry.held->path);
    if (entry.held->path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QByteArray> UrlCache::bytes(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    Entry* entry = find(address);
    if (!entry)
        return std::nullopt;
    return bytesOf(*entry);
}

std::optional<QString> UrlCache::localFileOf(Entry& entry) const
{
    if (!entry.held)
        return std::nullopt;
    Held& held = *entry.held;
    if (!held.path.isEmpty())
        return held.path;
    if (!held.inMemory || !m_dir.isValid())
        return std::nullopt;
    // Numbered names: an address is no safe file name, and a number never collides.
    const QString path = m_dir.filePath(QString::number(++m_nextFile));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(held.bytes) != held.bytes.size()) {
        file.remove();
        return std::nullopt;
    }
    // The file holds them now; memory is kept for what has no file.
    held.path = path;
    forget(entry);
    return path;
}

std::optional<QString> UrlCache::localFile(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    Entry* entry = find(address);
    if (!entry)
        return std::nullopt;
    return localFileOf(*entry);
}

std::optional<qint64> UrlCache::byteSize(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const Entry* entry = find(address);
    if (!entry)
        return std::nullopt;
    return entry->size;
}

qint64 UrlCache::bytesInMemory() const
{
    const QMutexLocker lock(&m_lock);
    return m_inMemory;
}

std::optional<QString> UrlCache::contentType(const QString& address) const
{
    const QMutexLocker lock(&m_lock);
    const Entry* entry = find(address);
    if (!entry)
        return std::nullopt;
    return m_types.at(entry->type);
}

bool UrlCache::getCacheFileName(const QString& address, QString& localFileName) const
{
    const QMutexLocker lock(&m_lock);
    Entry* entry = find(address);
    if (!entry)
        return false;
    localFileName = localFileOf(*entry).value_or(QString());
    return true;
}

std::shared_ptr<const SheetScan> UrlCache::sheetScan(const QString& address) const
{
    std::optional<QByteArray> bytes;
    quint32 version = 0;
    {
        const QMutexLocker lock(&m_lock);
        Entry* entry = find(address);
        if (!entry)
            return nullptr;
        if (entry->held && entry->held->scan)
            return entry->held->scan;
        version = entry->version;
        bytes = bytesOf(*entry);
        if (!bytes)
            return nullptr;
        ++m_scansMade;
    }
    // Scanned without the lock, so that the engine and other readers are not kept waiting.
    auto scan = std::make_shared<const SheetScan>(scanSheet(decodeCachedText(*bytes)));
    const QMutexLocker lock(&m_lock);
    Entry* entry = find(address);
    if (!entry || entry->version != version)
        return scan; // stored again meanwhile: this scan is of the old bytes
    if (!entry->held)
        entry->held = std::make_unique<Held>();
    if (!entry->held->scan)
        entry->held->scan = scan;
    return entry->held->scan;
}

quint64 UrlCache::sheetScansMade() const
{
    const QMutexLocker lock(&m_lock);
    return m_scansMade;
}

std::optional<UrlCache::Start> UrlCache::startOf(Entry& entry) const
{
    if (!entry.held)
        return std::nullopt;
    const Held& held = *entry.held;
    if (held.inMemory) {
        touch(entry);
        return Start{held.bytes, true};
    }
    if (!held.head.isEmpty())
        return Start{held.head, held.head.size() >= entry.size};
    QFile file(held.path);
    if (held.path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // No picture's header lies further in than this.
    QByteArray start = file.read(kPictureHeaderMaxBytes);
    return Start{start, file.atEnd()};
}

std::optional<QSize> UrlCache::dimensions(const QString& address) const
{
    std::optional<Start> start;
    quint32 version = 0;
    {
        const QMutexLocker lock(&m_lock);
        if (const auto given = m_givenDimensions.constFind(address); given != m_givenDimensions.constEnd())
            return *given;
        Entry* entry = find(address);
        if (!entry)
            return std::nullopt;
        if (entry->dimensions.isValid())
            return entry->dimensions.isEmpty() ? std::nullopt : std::optional(entry->dimensions);
        version = entry->version;
        start = startOf(*entry);
        if (!start)
            return std::nullopt;
    }
    // Read without the lock, as a sheet is scanned.
    const PictureHeader header = readPictureHeader(start->bytes, start->isWhole);
    std::optional<QSize> dimensions;
    if (header.verdict == PictureHeader::Verdict::Known)
        dimensions = QSize(header.width, header.height);
    const QMutexLocker lock(&m_lock);
    Entry* entry = find(address);
    if (!entry || entry->version != version)
        return dimensions;
    entry->dimensions = dimensions.value_or(QSize(0, 0));
    if (entry->held && !entry->held->inMemory)
        forget(*entry); // the head has told what it could
    return dimensions;
}
