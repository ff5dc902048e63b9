#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// What the first bytes of a picture tell of its dimensions.
struct PictureHeader {
    enum class Verdict { Known, NeedMore, Unknown };
    Verdict verdict = Verdict::Unknown;
    int width = 0;           // set when Known
    int height = 0;
    qint64 bytesWanted = 0;  // NeedMore: how long a prefix would tell (0: unknown, ask for more anyway)
};

// The width x height of a picture read from the start of its body, the format told by its
// signature: PNG (APNG too), GIF, JPEG, WebP, BMP, ICO/CUR (the largest entry), TIFF, SVG
// (width/height in px, else the viewBox), AVIF/HEIF (the primary item's size) and JPEG XL.
// Anything else, a size of 0 or over kPictureMaxPixels, and a header that lies are Unknown.
// Sizes as stored: an EXIF or irot rotation is not applied.
// bytes: the start of the body (or all of it when isWhole). Never reads past bytes.
// NeedMore only when !isWhole and a longer prefix, at most kPictureHeaderMaxBytes, may tell;
// bytesWanted is the least such prefix (the next header's end), so a prober may ask for more.
PictureHeader readPictureHeader(QByteArrayView bytes, bool isWhole);

inline constexpr qint64 kPictureHeaderMaxBytes = 1024 * 1024; // never ask for more than this
// A larger picture is a lie we do not show: no browser decodes 2^30 pixels.
inline constexpr qint64 kPictureMaxPixels = qint64(1) << 30;
