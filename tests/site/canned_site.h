#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A picture of the canned test site: a real GIF or PNG file of a known size.
struct CannedPicture {
    QString path; // e.g. "/img/logo.gif"
    QByteArray contentType;
    int width = 0;
    int height = 0;
    int bytes = 0;
};

const QList<CannedPicture>& cannedPictures();
QByteArray cannedPictureBytes(const CannedPicture& picture);

// The size of the generated page "/huge.htm", larger than any page the engine reads.
inline constexpr qint64 kHugePageBytes = 33 * 1024 * 1024;
