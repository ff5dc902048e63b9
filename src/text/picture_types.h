#pragma once

#include <QString>
#include <QStringView>

// A file type (as getFileType gives it) that the picture table accepts: bmp, jpg, jpeg, tif,
// gif, png, ico, jpe, webp, avif, svg or jxl, any letter case.
bool isPictureType(const QString& type);

// True for a Content-Type that names a picture (image/*, parameters and letter case aside).
bool isPictureMediaType(QStringView contentType);

// The type column of a picture known only by its Content-Type: image/png gives "png",
// image/svg+xml "svg", image/x-icon and image/vnd.microsoft.icon "ico".
QString pictureTypeOfMediaType(QStringView contentType);
