#include "text/picture_types.h"

#include <algorithm>
#include <array>

namespace {

QString mediaType(QStringView contentType)
{
    const qsizetype semicolon = contentType.indexOf(u';');
    return (semicolon >= 0 ? contentType.first(semicolon) : contentType).trimmed().toString().toLower();
}

} // namespace

bool isPictureType(const QString& type)
{
    static const QLatin1StringView pictureTypes[] = {
        QLatin1StringView("bmp"), QLatin1StringView("jpg"), QLatin1StringView("jpeg"), QLatin1StringView("tif"),
        QLatin1StringView("gif"), QLatin1StringView("png"), QLatin1StringView("ico"), QLatin1StringView("jpe"),
        QLatin1StringView("webp"), QLatin1StringView("avif"), QLatin1StringView("svg"), QLatin1StringView("jxl")};
    if (type.size() < 3 || type.size() > 4) // asked of every address a page names
        return false;
    // An ASCII type is put in lower case here and compared as bytes; Qt's comparison, which
    // folds through the Unicode tables, is left for the rare others.
    std::array<char, 4> lower{};
    for (qsizetype i = 0; i < type.size(); ++i) {
        const char16_t c = type[i].unicode();
        if (c > 0x7f) {
            return std::any_of(std::begin(pictureTypes), std::end(pictureTypes), [&](QLatin1StringView pictureType) {
                return type.compare(pictureType, Qt::CaseInsensitive) == 0;
            });
        }
        lower[size_t(i)] = char(c >= u'A' && c <= u'Z' ? c + 0x20 : c);
    }
    const QLatin1StringView folded(lower.data(), type.size());
    return std::find(std::begin(pictureTypes), std::end(pictureTypes), folded) != std::end(pictureTypes);
}

bool isPictureMediaType(QStringView contentType)
{
    const QString type = mediaType(contentType);
    return type.startsWith(QLatin1String("image/")) && type.size() > 6;
}

QString pictureTypeOfMediaType(QStringView contentType)
{
    QString subtype = mediaType(contentType).section(u'/', 1);
    if (subtype == QLatin1String("vnd.microsoft.icon"))
        return QStringLiteral("ico");
    if (subtype.startsWith(QLatin1String("x-")))
        subtype.remove(0, 2);
    if (subtype == QLatin1String("icon"))
        return QStringLiteral("ico");
    return subtype.section(u'+', 0, 0);
}
