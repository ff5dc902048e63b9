#include "platform/chromium/page_snapshot.h"

#include "platform/chromium/snapshot_script.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

QString text(const QVariantMap& map, const char* key)
{
    return map.value(QLatin1String(key)).toString();
}

constexpr int kNotAFrame = -2;

} // namespace

SnapshotAssembly::Part* SnapshotAssembly::part(int id)
{
    // Ids come from the script, which counts at most the documents of a page.
    if (id < 0 || id >= kMaxSnapshotDocuments)
        return nullptr;
    if (size_t(id) >= m_documents.size())
        m_documents.resize(size_t(id) + 1);
    return &m_documents[size_t(id)];
}

bool SnapshotAssembly::add(const QVariant& value)
{
    if (m_done || value.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap slice = value.toMap();
    if (const QVariant start = slice.value(QStringLiteral("start")); start.isValid())
        m_snapshot.documentStart = start.toDouble();
    for (const QVariant& header : slice.value(QStringLiteral("documents")).toList())
        addDocument(header.toMap());
    addRows(slice.value(QStringLiteral("rows")).toString());
    for (const QVariant& entry : slice.value(QStringLiteral("markups")).toList()) {
        const QVariantList pair = entry.toList();
        if (pair.size() == 2) {
            if (Part* p = part(pair.at(0).toInt()); p && p->opened)
                p->data.markup = std::make_shared<const QString>(pair.at(1).toString());
        }
    }
    for (const QVariant& entry : slice.value(QStringLiteral("dimensions")).toList()) {
        const QVariantList row = entry.toList();
        if (row.size() == 3 && row.at(1).toInt() > 0 && row.at(2).toInt() > 0)
            m_snapshot.pictureDimensions.append({row.at(0).toString(), row.at(1).toInt(), row.at(2).toInt()});
    }
    if (!slice.value(QStringLiteral("done")).toBool())
        return true;
    m_done = true;
    for (const QVariant& sheet : slice.value(QStringLiteral("sheets")).toList()) {
        const QVariantList pair = sheet.toList();
        if (pair.size() != 2 || pair.at(0).toString().isEmpty())
            continue;
        std::optional<QString> sheetText;
        if (pair.at(1).typeId() == QMetaType::QString)
            sheetText = pair.at(1).toString();
        m_snapshot.styleSheets.append({pair.at(0).toString(), sheetText});
    }
    for (const QVariant& entry : slice.value(QStringLiteral("pictures")).toList()) {
        const QVariantList pair = entry.toList();
        if (pair.size() == 2 && pair.at(1).toLongLong() > 0)
            m_snapshot.pictureSizes.append({pair.at(0).toString(), pair.at(1).toLongLong()});
    }
    m_snapshot.cut = slice.value(QStringLiteral("cut")).toString();
    return true;
}

void SnapshotAssembly::addDocument(const QVariantMap& header)
{
    Part* p = part(header.value(QStringLiteral("id")).toInt());
    if (!p || p->opened)
        return;
    p->opened = true;
    DocumentData& data = p->data;
    data.isHtml = header.value(QStringLiteral("html")).toBool();
    data.title = text(header, "title");
    data.url = text(header, "url");
    // The base a <base href> declares; the document's own address says nothing more.
    if (const QString base = text(header, "base"); base != data.url)
        data.baseUrl = base;
    data.location = text(header, "location");
    const QVariant background = header.value(QStringLiteral("bodyBackground"));
    if (background.typeId() == QMetaType::QString)
        data.bodyBackground = background.toString();
    data.markup = std::make_shared<const QString>();
}

void SnapshotAssembly::addRows(const QString& text)
{
    // Fields, each ended by U+0000, as the snapshot script writes them.
    QList<QStringView> fields = QStringView(text).split(QChar(0));
    if (!fields.isEmpty())
        fields.removeLast(); // after the last end
    qsizetype at = 0;
    auto number = [&](qsizetype i) { return fields.at(i).toInt(); };
    while (at + 5 <= fields.size()) {
        const qsizetype members = number(at + 4);
        if (members < 0 || at + 5 + 2 * members > fields.size())
            return; // not what the script writes
        Part* p = part(number(at));
        if (p && p->opened) {
            ElementStore& elements = p->data.elements;
            const ElementStore::Index element = elements.appendElement(fields.at(at + 1).toString());
            for (qsizetype m = 0; m < members; ++m)
                elements.addMember(element, fields.at(at + 5 + 2 * m).toString(), fields.at(at + 6 + 2 * m));
            if (fields.at(at + 2) == u"1")
                elements.addLink(element);
            if (const int frame = number(at + 3); frame != kNotAFrame)
                p->frames.append(frame);
        }
        at += 5 + 2 * members;
    }
}

PageSnapshot SnapshotAssembly::take()
{
    if (!m_done)
        m_snapshot.cut = QStringLiteral("time");
    // A frame's id is above its parent's: built from the last, every frame is there before
    // the document that holds it.
    std::vector<DocumentPtr> built(m_documents.size());
    for (size_t id = m_documents.size(); id-- > 0;) {
        Part& p = m_documents[id];
        if (!p.opened)
            continue;
        for (const int frame : std::as_const(p.frames))
            p.data.frames.append(frame > int(id) && size_t(frame) < built.size() ? built[size_t(frame)] : nullptr);
        built[id] = std::make_shared<const Document>(std::move(p.data));
    }
    m_snapshot.document = built.empty() ? nullptr : built.front();
    m_documents.clear();
    m_done = true;
    return std::move(m_snapshot);
}

DocumentPtr emptyDocument(const QString& address)
{
    DocumentData data;
    data.url = address;
    data.location = address;
    data.markup = std::make_shared<const QString>();
    return std::make_shared<const Document>(std::move(data));
}
