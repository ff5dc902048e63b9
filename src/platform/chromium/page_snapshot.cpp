#include "platform/chromium/page_snapshot.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

// Scripts are run in the top page only; a frame's own guard is installed by the engine.
class FrameWindow : public PageWindow {
public:
    bool execScript(const QString&, const QString&) override { return false; }
};

std::shared_ptr<PageWindow> frameWindow()
{
    static const auto window = std::make_shared<FrameWindow>();
    return window;
}

DocumentPtr readDocument(const QVariant& value, const std::shared_ptr<PageWindow>& window)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return nullptr;
    const QVariantMap map = value.toMap();
    DocumentData data;
    data.isHtml = map.value(QStringLiteral("html")).toBool();
    data.title = map.value(QStringLiteral("title")).toString();
    data.url = map.value(QStringLiteral("url")).toString();
    // The base a <base href> declares; the document's own address says nothing more.
    if (const QString base = map.value(QStringLiteral("base")).toString(); base != data.url)
        data.baseUrl = base;
    data.location = map.value(QStringLiteral("location")).toString();
    const QVariant background = map.value(QStringLiteral("bodyBackground"));
    if (background.typeId() == QMetaType::QString)
        data.bodyBackground = background.toString();
    data.markup = std::make_shared<const QString>(map.value(QStringLiteral("markup")).toString());
    data.parentWindow = window;

    ElementStore& elements = data.elements;
    const QVariantList rows = map.value(QStringLiteral("elements")).toList();
    for (const QVariant& row : rows) {
        const QVariantList pair = row.toList();
        if (pair.size() != 2)
            continue;
        const ElementStore::Index element = elements.appendElement(pair.at(0).toString());
        const QVariantMap attributes = pair.at(1).toMap();
        for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it)
            elements.addMember(element, it.key(), it.value().toString());
    }
    for (const QVariant& index : map.value(QStringLiteral("links")).toList()) {
        const qsizetype i = index.toLongLong();
        if (i >= 0 && i < elements.size())
            elements.addLink(i);
    }
    for (const QVariant& frame : map.value(QStringLiteral("frames")).toList())
        data.frames.append(readDocument(frame, frameWindow()));
    return std::make_shared<const Document>(std::move(data));
}

} // namespace

PageSnapshot readPageSnapshot(const QVariant& result, const std::shared_ptr<PageWindow>& window)
{
    PageSnapshot snapshot;
    const QVariantMap map = result.toMap();
    snapshot.document = readDocument(map.value(QStringLiteral("page")), window);
    for (const QVariant& sheet : map.value(QStringLiteral("sheets")).toList()) {
        const QVariantList pair = sheet.toList();
        if (pair.size() != 2 || pair.at(0).toString().isEmpty())
            continue;
        std::optional<QString> text;
        if (pair.at(1).typeId() == QMetaType::QString)
            text = pair.at(1).toString();
        snapshot.styleSheets.append({pair.at(0).toString(), text});
    }
    return snapshot;
}

DocumentPtr emptyDocument(const QString& address, const std::shared_ptr<PageWindow>& window)
{
    DocumentData data;
    data.url = address;
    data.location = address;
    data.markup = std::make_shared<const QString>();
    data.parentWindow = window;
    return std::make_shared<const Document>(std::move(data));
}
