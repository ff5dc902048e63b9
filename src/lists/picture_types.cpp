#include "lists/picture_types.h"

#include <QStringView>

bool isPictureType(const QString& type)
{
    static const QStringView pictureTypes[]
        = {u"bmp", u"jpg", u"jpeg", u"tif", u"gif", u"png", u"ico", u"jpe"};
    for (const QStringView pictureType : pictureTypes) {
        if (type.compare(pictureType, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
