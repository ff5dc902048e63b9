#include "platform/net/parsed_page.h"

#include <algorithm>

namespace {

class ScriptlessWindow : public PageWindow {
public:
    bool execScript(const QString&, const QString&) override { return true; }
};

DocumentData emptyData(const QString& address, bool isHtml)
{
    DocumentData data;
    data.isHtml = isHtml;
    data.url = address;
    data.location = address;
    data.markup = std::make_shared<const QString>();
    data.parentWindow = scriptlessWindow();
    return data;
}

} // namespace

std::shared_ptr<PageWindow> scriptlessWindow()
{
    static const auto window = std::make_shared<ScriptlessWindow>();
    return window;
}

DocumentPtr blankDocument(const QString& address)
{
    return std::make_shared<const Document>(emptyData(address, true));
}

DocumentPtr nonHtmlDocument(const QString& address)
{
    return std::make_shared<const Document>(emptyData(address, false));
}

DocumentPtr lonePictureDocument(const QString& address, qint64 bytes)
{
    DocumentData data = emptyData(address, true);
    const Element image(QStringLiteral("IMG"), {{QStringLiteral("src"), address},
                                                {QStringLiteral("filesize"), QString::number(bytes)}});
    data.elementsByTag.insert(QStringLiteral("IMG"), {image});
    data.elements.append(image);
    return std::make_shared<const Document>(std::move(data));
}

DocumentPtr ParsedPage::finish(QList<DocumentPtr> frames, const UrlCache& cache) &&
{
    QList<Element> imageElements;
    imageElements.reserve(images.size());
    for (PendingImage& image : images) {
        const auto src = std::find_if(image.members.cbegin(), image.members.cend(),
                                      [](const auto& member) { return member.first == QLatin1String("src"); });
        if (src != image.members.cend()) {
            if (const auto size = cache.byteSize(src->second))
                image.members.append({QStringLiteral("filesize"), QString::number(*size)});
        }
        imageElements.append(Element::withMembers(QStringLiteral("IMG"), std::move(image.members),
                                                  data.markup, image.outer, image.inner));
        if (image.position >= 0 && image.position < data.elements.size())
            data.elements[image.position] = imageElements.back();
    }
    if (!imageElements.isEmpty())
        data.elementsByTag.insert(QStringLiteral("IMG"), std::move(imageElements));
    data.frames = std::move(frames);
    data.parentWindow = scriptlessWindow();
    return std::make_shared<const Document>(std::move(data));
}
