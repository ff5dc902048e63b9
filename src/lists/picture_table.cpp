#include "lists/picture_table.h"

#include "lists/sort_order.h"
#include "text/size_format.h"
#include "text/table_key.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>

QStringList PictureTable::headers()
{
    static const char* const names[columnTotal] = {
        QT_TR_NOOP("文件名"), QT_TR_NOOP("网址"), QT_TR_NOOP("类型"), QT_TR_NOOP("大小[KB]"), QT_TR_NOOP("标题"),
        QT_TR_NOOP("来源"),   QT_TR_NOOP("宽度"), QT_TR_NOOP("高度"), QT_TR_NOOP("下载状态")};
    QStringList texts;
    for (const char* name : names)
        texts.append(QString::fromUtf8(name));
    return texts;
}

int PictureTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : size();
}

int PictureTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant PictureTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= size() || index.column() >= columnTotal)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(index.row(), Column(index.column()));
    if (role == Qt::TextAlignmentRole)
        return index.column() == Size ? int(Qt::AlignRight | Qt::AlignVCenter)
                                      : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant PictureTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnTotal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) // in the window's language; files keep headers() as they are
        return tr(headers().at(section).toUtf8().constData());
    if (role == Qt::TextAlignmentRole)
        return section == Size ? int(Qt::AlignRight | Qt::AlignVCenter)
                               : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags PictureTable::flags(const QModelIndex& index) const
{
    // No in-place editing.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool PictureTable::addRow(const PictureRow& row)
{
    return addRows({&row, 1}) == 1;
}

int PictureTable::addRows(std::span<const PictureRow> rows)
{
    // The keys first: the view hears how many rows come before any of them is there. Every
    // row's index slot is asked for before the first is looked at, and the pools are read
    // meanwhile, so that the waits for memory overlap with work.
    m_index.reserve(qsizetype(std::min<size_t>(m_records.size() + rows.size(), m_inMemory)));
    for (const PictureRow& row : rows) {
        const Key key = keyOf(row.address, m_key);
        const quint32 hash = HashedIndex::hashOf(key.text);
        m_index.prefetch(hash);
        Adding& adding = m_adding.emplace_back(Adding{&row, hash, key.isAddress, {}});
        for (int slot = 0; slot < pooledTotal; ++slot)
            adding.pooled[slot] = m_pools[slot].find(pooledText(row, slot));
    }
    // The rows taken move to the front of m_adding; a row's record is first + its place there.
    const auto first = quint32(size());
    size_t taken = 0;
    QString earlierKey;
    for (size_t i = 0; i < m_adding.size(); ++i) {
        const Adding adding = m_adding[i];
        const quint32 record = first + quint32(taken);
        const auto filedUnder = [&](quint32 other) {
            return recordHasKey(other, keyOf(adding.row->address, m_key).text, first, earlierKey);
        };
        bool known;
        if (record < m_inMemory) {
            known = m_index.findOrInsert(adding.hash, record, filedUnder).has_value();
        } else {
            // Past the rows in memory: the archive is asked only when no row at hand has the key.
            known = m_index.find(adding.hash, filedUnder).has_value()
                    || (m_recentFirst > m_inMemory && findArchived(keyOf(adding.row->address, m_key).text))
                    || m_recentIndex.findOrInsert(adding.hash, record, filedUnder).has_value();
        }
        if (!known)
            m_adding[taken++] = adding;
    }
    m_adding.resize(taken);
    const int added = int(m_adding.size());
    if (added == 0)
        return 0;
    beginInsertRows({}, size(), size() + added - 1);
    for (const Adding& adding : m_adding) {
        const PictureRow& row = *adding.row;
        if (m_records.size() >= m_inMemory) {
            if (!m_order.empty()) {
                m_order.push_back(quint32(size()));
                m_rowOfRecord.push_back(quint32(size()));
            }
            m_recent.push_back(row);
            m_outsideKeys.add(quint64(storedKeyHash(row.address)));
            continue;
        }
        Record packed = pack(row.address, row.fileName, row.size);
        packed.addressIsKey = adding.addressIsKey;
        for (int slot = 0; slot < pooledTotal; ++slot)
            packed.pooled[slot] = adding.pooled[slot] ? *adding.pooled[slot] : m_pools[slot].intern(pooledText(row, slot));
        // A new row's place is its record's number, sorted or not.
        if (!m_order.empty()) {
            m_order.push_back(quint32(m_records.size()));
            m_rowOfRecord.push_back(quint32(m_records.size()));
        }
        m_records.push_back(packed);
    }
    m_adding.clear();
    endInsertRows();
    return added;
}

bool PictureTable::containsAddress(const QString& address) const
{
    QString key;
    return findRecord(keyOf(address, key).text).has_value();
}

std::optional<int> PictureTable::rowOfAddress(const QString& address) const
{
    QString key;
    const std::optional<quint32> record = findRecord(keyOf(address, key).text);
    if (!record)
        return std::nullopt;
    return rowOfRecord(*record);
}

PictureRow PictureTable::row(int index) const
{
    if (index < 0 || index >= size())
        return {};
    if (const quint32 number = recordAt(index); number >= m_records.size())
        return outsideRow(number, index).value_or(PictureRow{});
    const Record& record = m_records[recordAt(index)];
    return {text(record, FileName), text(record, Address), text(record, Type),
            text(record, Size),     text(record, Title),   text(record, Source),
            text(record, Width),    text(record, Height),  text(record, DownloadStatus)};
}

QString PictureTable::cellText(int row, Column column) const
{
    if (row < 0 || row >= size() || column < 0 || column >= columnTotal)
        return {};
    if (const quint32 record = recordAt(row); record >= m_records.size()) {
        PictureRow outside = outsideRow(record, row).value_or(PictureRow{});
        return cellOf(outside, column);
    }
    return text(m_records[recordAt(row)], column);
}

void PictureTable::setCell(int row, Column column, const QString& text)
{
    if (row < 0 || row >= size() || column == Address)
        return; // the address is the key and never changes
    if (const quint32 number = recordAt(row); number >= m_records.size()) {
        // A row the file cannot give is left as the file has it.
        std::optional<PictureRow> read = outsideRow(number, row);
        if (!read)
            return;
        PictureRow outside = std::move(*read);
        if (cellOf(outside, column) == text)
            return;
        cellOf(outside, column) = text;
        setOutsideRow(number, std::move(outside));
        emit dataChanged(index(row, column), index(row, column));
        return;
    }
    Record& record = m_records[recordAt(row)];
    if (const int slot = pooledSlot(column); slot >= 0) {
        record.pooled[slot] = m_pools[slot].intern(text);
    } else if (column == Size) {
        setSize(record, text);
    } else {
        // Packed texts never move; the address and file name are packed anew (the old bytes
        // stay unused).
        Record fresh = pack(this->text(record, Address), text, this->text(record, Size));
        std::copy(std::begin(record.pooled), std::end(record.pooled), std::begin(fresh.pooled));
        fresh.addressIsKey = record.addressIsKey;
        record = fresh;
    }
    emit dataChanged(index(row, column), index(row, column));
}

void PictureTable::setFigures(int row, const PictureFigures& figures)
{
    if (row < 0 || row >= size())
        return;
    if (const quint32 number = recordAt(row); number >= m_records.size()) {
        std::optional<PictureRow> read = outsideRow(number, row);
        if (!read)
            return;
        PictureRow outside = std::move(*read);
        int first = columnTotal;
        int last = -1;
        const auto put = [&](Column column, const QString& text) {
            if (text.isEmpty() || cellOf(outside, column) == text)
                return;
            cellOf(outside, column) = text;
            first = std::min(first, int(column));
            last = std::max(last, int(column));
        };
        if (figures.byteSize && *figures.byteSize >= 0)
            put(Size, formatSizeKb(double(*figures.byteSize)));
        if (figures.width && *figures.width >= 1)
            put(Width, QString::number(*figures.width));
        if (figures.height && *figures.height >= 1)
            put(Height, QString::number(*figures.height));
        if (last < 0)
            return;
        setOutsideRow(number, std::move(outside));
        emit dataChanged(index(row, first), index(row, last));
        return;
    }
    Record& record = m_records[recordAt(row)];
    int first = columnTotal;
    int last = -1;
    const auto changed = [&](Column column) {
        first = std::min(first, int(column));
        last = std::max(last, int(column));
    };
    if (figures.byteSize && *figures.byteSize >= 0) {
        // Empty for a size past any real file: that is no figure.
        const QString size = formatSizeKb(double(*figures.byteSize));
        if (!size.isEmpty() && size != text(record, Size)) {
            setSize(record, size);
            changed(Size);
        }
    }
    for (const auto& [column, pixels] : {std::pair{Width, figures.width}, std::pair{Height, figures.height}}) {
        if (!pixels || *pixels < 1)
            continue;
        const int slot = pooledSlot(column);
        const quint32 id = m_pools[slot].intern(QString::number(*pixels));
        if (id != record.pooled[slot]) {
            record.pooled[slot] = id;
            changed(column);
        }
    }
    if (last >= 0)
        emit dataChanged(index(row, first), index(row, last));
}

void PictureTable::reserve(int rows)
{
    m_index.reserve(std::min<qsizetype>(rows, m_inMemory));
}

void PictureTable::sortByColumnClick(int columnIndex)
{
    if (columnIndex < 1 || columnIndex > columnTotal)
        return;
    sortBy(Column(columnIndex - 1), m_sortOrder == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void PictureTable::sortBy(Column column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnTotal)
        return;
    std::vector<quint32> records;
    if (hasOutsideRows()) {
        // SQLite sorts what memory cannot hold, once it holds every row.
        if (m_archiveBehind)
            emit archiveWanted();
        if (m_archiveBehind)
            return;
        std::optional<std::vector<quint32>> ordered =
            m_archive->orderedRecords(column, order == Qt::DescendingOrder, quint32(size()), m_rowOfRecord);
        if (!ordered)
            return;
        records = std::move(*ordered);
    }
    m_sortKey = column;
    m_sortOrder = order;
    const PictureSort click{column, order, size()};
    if (!m_sorts.empty() && m_sorts.back().column == click.column)
        m_sorts.back() = click;
    else
        m_sorts.push_back(click);
    if (size() >= 2)
        reorder(records.empty() ? sortedRecords(column, order == Qt::DescendingOrder) : std::move(records));
    emit sorted();
}

void PictureTable::reorder(std::vector<quint32> order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    for (size_t to = 0; to < order.size(); ++to)
        newRowOf[rowOfRecord(order[to])] = int(to);
    m_order = std::move(order);
    m_rowOfRecord.resize(m_order.size());
    for (size_t row = 0; row < m_order.size(); ++row)
        m_rowOfRecord[m_order[row]] = quint32(row);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// One key per record, computed once and in storage order: comparing folded texts inside the
// sort, or reading the records in row order, costs many times more.
std::vector<quint32> PictureTable::sortedRecords(Column column, bool descending) const
{
    const size_t records = m_records.size();
    std::vector<quint32> rows = m_rowOfRecord;
    if (rows.empty()) {
        rows.resize(records);
        std::iota(rows.begin(), rows.end(), 0u);
    }
    // Cells that hold no number come first when ascending.
    const auto valueKey = [](std::optional<double> value) { return orderedBits(value.value_or(-1.0)); };
    if (column == Width || column == Height) {
        // Read once per distinct text; the cells themselves stay as they are.
        const TextPool& pool = m_pools[pooledSlot(column)];
        std::vector<quint64> byId(pool.count());
        for (quint32 id = 0; id < pool.count(); ++id)
            byId[id] = valueKey(sizeCellValue(pool.text(id)));
        std::vector<quint64> keys(records);
        for (size_t r = 0; r < records; ++r)
            keys[r] = byId[m_records[r].pooled[pooledSlot(column)]];
        return orderByNumbers(keys, rows, descending);
    }
    if (const int slot = pooledSlot(column); slot >= 0) {
        const QList<quint32> ranks = m_pools[slot].ranks();
        std::vector<quint64> keys(records);
        for (size_t r = 0; r < records; ++r)
            keys[r] = ranks.at(m_records[r].pooled[slot]);
        return orderByNumbers(keys, rows, descending);
    }
    if (column == Size) {
        std::vector<quint64> keys(records);
        for (size_t r = 0; r < records; ++r) {
            const PackedTexts::Span span = spans(m_records[r]).size;
            keys[r] = valueKey(span.wide ? sizeCellValue(m_texts.text(span))
                                         : sizeCellValue(std::string_view(m_texts.narrow(span), span.length)));
        }
        return orderByNumbers(keys, rows, descending);
    }
    // File name and address: folded to lower case and compared as UTF-8.
    std::vector<PackedTexts::Span> texts(records);
    size_t bytes = 0;
    for (size_t r = 0; r < records; ++r) {
        const Packed packed = spans(m_records[r]);
        texts[r] = column == Address ? packed.address : packed.fileName;
        bytes += texts[r].length;
    }
    std::string folded;
    folded.reserve(bytes);
    std::vector<size_t> ends(records);
    for (size_t r = 0; r < records; ++r) {
        const PackedTexts::Span span = texts[r];
        if (span.wide) {
            folded += m_texts.text(span).toCaseFolded().toStdString();
        } else {
            const size_t start = folded.size();
            folded.resize(start + span.length);
            const char* from = m_texts.narrow(span);
            char* to = folded.data() + start;
            for (quint32 i = 0; i < span.length; ++i)
                to[i] = from[i] >= 'A' && from[i] <= 'Z' ? char(from[i] + ('a' - 'A')) : from[i];
        }
        ends[r] = folded.size();
    }
    std::vector<std::string_view> keys(records);
    for (size_t r = 0; r < records; ++r) {
        const size_t start = r == 0 ? 0 : ends[r - 1];
        keys[r] = std::string_view(folded).substr(start, ends[r] - start);
    }
    return orderByBytes(keys, rows, descending);
}

QByteArray PictureTable::sortKey(Column column, const QString& cell)
{
    if (column == Size || column == Width || column == Height) {
        const quint64 bits = orderedBits(sizeCellValue(cell).value_or(-1.0));
        QByteArray key(8, Qt::Uninitialized);
        for (int i = 0; i < 8; ++i)
            key[i] = char(bits >> (56 - 8 * i));
        return key;
    }
    const QString folded = cell.toCaseFolded();
    if (column == FileName || column == Address)
        return folded.toUtf8();
    // The pools rank their texts as QString compares them: by UTF-16 code unit.
    QByteArray key(folded.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < folded.size(); ++i) {
        key[2 * i] = char(folded[i].unicode() >> 8);
        key[2 * i + 1] = char(folded[i].unicode());
    }
    return key;
}

qint64 PictureTable::storedKeyHash(const QString& address)
{
    QString scratch;
    return storedHashOfKey(keyOf(address, scratch).text);
}

qint64 PictureTable::storedHashOfKey(QStringView key)
{
    // FNV-1a over the key's UTF-16 code units: small, and defined once and for all.
    quint64 hash = 14695981039346656037ull;
    for (const QChar c : key) {
        hash = (hash ^ (c.unicode() & 0xff)) * 1099511628211ull;
        hash = (hash ^ (c.unicode() >> 8)) * 1099511628211ull;
    }
    return qint64(hash);
}

int PictureTable::pooledSlot(Column column)
{
    switch (column) {
    case Type: return 0;
    case Title: return 1;
    case Source: return 2;
    case Width: return 3;
    case Height: return 4;
    case DownloadStatus: return 5;
    case FileName:
    case Address:
    case Size: break;
    }
    return -1;
}

const QString& PictureTable::pooledText(const PictureRow& row, int slot)
{
    switch (slot) {
    case 0: return row.type;
    case 1: return row.title;
    case 2: return row.source;
    case 3: return row.width;
    case 4: return row.height;
    }
    return row.downloadStatus;
}

PictureTable::Packed PictureTable::spans(const Record& record) const
{
    Packed packed;
    packed.address = {record.offset, record.addressLength, (record.wide & 1) != 0};
    quint64 next = packed.address.end();
    if (record.fileNameIsTail) {
        const quint64 unit = packed.address.wide ? 2 : 1;
        packed.fileName = {record.offset + (record.addressLength - record.fileNameLength) * unit,
                           record.fileNameLength, packed.address.wide};
    } else {
        packed.fileName = {next, record.fileNameLength, (record.wide & 2) != 0};
    }
    packed.size = {record.sizeOffset, record.sizeLength, (record.wide & 4) != 0};
    return packed;
}

PictureTable::Record PictureTable::pack(const QString& address, const QString& fileName, const QString& size)
{
    Record record;
    m_texts.keepTogether(address.size() + fileName.size() + size.size());
    const PackedTexts::Span a = m_texts.append(address);
    record.offset = a.offset;
    record.addressLength = a.length;
    record.wide = a.wide ? 1 : 0;
    // The file name is as a rule the address's last segment: it then costs nothing.
    const qsizetype tail = address.size() - fileName.size();
    record.fileNameIsTail = !fileName.isEmpty() && tail >= 0
        && std::memcmp(address.constData() + tail, fileName.constData(), size_t(fileName.size()) * 2) == 0;
    record.fileNameLength = quint32(fileName.size());
    if (!record.fileNameIsTail && m_texts.append(fileName).wide)
        record.wide |= 2;
    setSize(record, size);
    return record;
}

void PictureTable::setSize(Record& record, const QString& size)
{
    // Packed texts never move: a new size takes a new span, the old one's bytes stay unused.
    const PackedTexts::Span span = m_texts.append(size);
    record.sizeOffset = span.offset;
    record.sizeLength = span.length;
    record.wide = quint8((record.wide & ~4) | (span.wide ? 4 : 0));
}

QString PictureTable::text(const Record& record, Column column) const
{
    if (const int slot = pooledSlot(column); slot >= 0)
        return m_pools[slot].text(record.pooled[slot]);
    const Packed packed = spans(record);
    return m_texts.text(column == Address ? packed.address : column == FileName ? packed.fileName : packed.size);
}

PictureTable::Key PictureTable::keyOf(const QString& address, QString& scratch)
{
    if (isOwnTableKey(address))
        return {address, true};
    // The fragment plays no part in the key: links to places in pages carry one.
    if (const qsizetype hash = address.indexOf(u'#'); hash >= 0 && isOwnTableKey(QStringView(address).first(hash)))
        return {QStringView(address).first(hash), false};
    scratch = tableKey(address);
    return {scratch, scratch.constData() == address.constData()};
}

bool PictureTable::hasKey(const Record& record, QStringView key) const
{
    const PackedTexts::Span address = spans(record).address;
    if (!record.addressIsKey)
        return tableKey(m_texts.text(address)) == key;
    return m_texts.equals(address, key);
}

bool PictureTable::recordHasKey(quint32 record, QStringView key, quint32 first, QString& scratch) const
{
    if (record >= first)
        return keyOf(m_adding[record - first].row->address, scratch).text == key;
    if (record < m_records.size())
        return hasKey(m_records[record], key);
    if (record < m_recentFirst)
        return false; // filed while it waited, archived since: the archive answers for it
    return keyOf(m_recent[record - m_recentFirst].address, scratch).text == key;
}

std::optional<quint32> PictureTable::findRecord(QStringView key) const
{
    // Records beyond the table's end are rows addRows has yet to add.
    const quint32 hash = HashedIndex::hashOf(key);
    const auto filedUnder = [&](quint32 record) {
        QString scratch;
        return record < quint32(size()) && recordHasKey(record, key, quint32(size()), scratch);
    };
    if (const std::optional<quint32> found = m_index.find(hash, filedUnder))
        return found;
    if (!hasOutsideRows())
        return std::nullopt;
    if (const std::optional<quint32> found = m_recentIndex.find(hash, filedUnder))
        return found;
    return m_recentFirst > m_records.size() ? findArchived(key) : std::nullopt;
}
