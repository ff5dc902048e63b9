#include "platform/net/parsed_page.h"

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
    data.elements.append(QStringLiteral("IMG"), {{QStringLiteral("src"), address},
                                                 {QStringLiteral("filesize"), QString::number(bytes)}});
    return std::make_shared<const Document>(std::move(data));
}

DocumentPtr ParsedPage::finish(QList<DocumentPtr> frames, const UrlCache& cache) &&
{
    for (const ElementStore::Index image : std::as_const(images)) {
        if (const auto src = data.elements.member(image, u"src")) {
            if (const auto size = cache.byteSize(*src))
                data.elements.addMember(image, QStringLiteral("filesize"), QString::number(*size));
        }
    }
    data.frames = std::move(frames);
    data.parentWindow = scriptlessWindow();
    return std::make_shared<const Document>(std::move(data));
}
