#include "platform/html/parsed_page.h"

namespace {

DocumentData emptyData(const QString& address, bool isHtml)
{
    DocumentData data;
    data.isHtml = isHtml;
    data.url = address;
    data.location = address;
    data.markup = std::make_shared<const QString>();
    return data;
}

} // namespace

DocumentPtr blankDocument(const QString& address)
{
    return std::make_shared<const Document>(emptyData(address, true));
}

DocumentPtr nonHtmlDocument(const QString& address)
{
    return std::make_shared<const Document>(emptyData(address, false));
}

DocumentPtr lonePictureDocument(const QString& address, std::optional<qint64> bytes)
{
    DocumentData data = emptyData(address, true);
    ElementMembers members{{QStringLiteral("src"), address}};
    if (bytes)
        members.append({QStringLiteral("filesize"), QString::number(*bytes)});
    data.elements.append(QStringLiteral("IMG"), members);
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
    return std::make_shared<const Document>(std::move(data));
}
