#include "lists/picture_types.h"

namespace {

QString mediaType(QStringView contentType)
{
    const qsizetype semicolon = contentType.indexOf(u';');
    return (semicolon >= 0 ? contentType.first(semicolon) : contentType).trimmed().toString().toLower();
}

} // namespace

bool isPictureType(const QString& type)
{
    static const QStringView pictureTypes[] = {u"bmp", u"jpg",  u"jpeg", u"tif",  u"gif", u"png",
                                               u"ico", u"jpe",  u"webp", u"avif", u"svg", u"jxl"};
    if (type.size() < 3 || type.size() > 4) // asked of every address a page names
        return false;
    for (const QStringView pictureType : pictureTypes) {
        if (type.compare(pictureType, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
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
