#include "formats/picture_header.h"

#include "formats/picture_boxes.h"
#include "formats/picture_bytes.h"
#include "formats/picture_svg.h"

#include <algorithm>
#include <string_view>

namespace {

using namespace std::string_view_literals;

enum class Match { No, Partial, Yes };

Match matchAt(QByteArrayView bytes, qsizetype at, QByteArrayView signature)
{
    const qsizetype have = std::clamp<qsizetype>(bytes.size() - at, 0, signature.size());
    if (have > 0 && bytes.sliced(at, have) != signature.first(have))
        return Match::No;
    return have == signature.size() ? Match::Yes : Match::Partial;
}

Match both(Match a, Match b)
{
    if (a == Match::No || b == Match::No)
        return Match::No;
    return a == Match::Yes && b == Match::Yes ? Match::Yes : Match::Partial;
}

Match either(Match a, Match b)
{
    if (a == Match::Yes || b == Match::Yes)
        return Match::Yes;
    return a == Match::Partial || b == Match::Partial ? Match::Partial : Match::No;
}

// ---- PNG, GIF, WebP, BMP, ICO/CUR: fixed places near the start ----

PictureHeader readPng(const PictureBytes& r)
{
    if (!r.has(0, 24))
        return r.wants(24);
    if (!r.holds(12, "IHDR"))
        return {};
    return r.known(r.u32be(16), r.u32be(20));
}

PictureHeader readGif(const PictureBytes& r)
{
    if (!r.has(0, 10))
        return r.wants(10);
    return r.known(r.u16le(6), r.u16le(8));
}

PictureHeader readWebp(const PictureBytes& r)
{
    const qint64 needed = r.holds(12, "VP8L") ? 25 : 30;
    if (!r.has(0, needed))
        return r.wants(needed);
    if (r.holds(12, "VP8 ")) {
        if (!r.holds(23, signatureBytes("\x9D\x01\x2A"sv)))
            return {};
        return r.known(r.u16le(26) & 0x3FFF, r.u16le(28) & 0x3FFF);
    }
    if (r.holds(12, "VP8L")) {
        if (r.u8(20) != 0x2F)
            return {};
        return r.known((r.u32le(21) & 0x3FFF) + 1, (r.u32le(21) >> 14 & 0x3FFF) + 1);
    }
    if (r.holds(12, "VP8X"))
        return r.known(r.u24le(24) + 1, r.u24le(27) + 1);
    return {};
}

PictureHeader readBmp(const PictureBytes& r)
{
    if (!r.has(0, 26))
        return r.wants(26);
    const quint32 infoSize = r.u32le(14);
    if (infoSize == 12) // OS/2 core header: unsigned 16-bit sizes
        return r.known(r.u16le(18), r.u16le(20));
    if (infoSize < 16 || infoSize > 1024)
        return {};
    const qint64 height = qint32(r.u32le(22));
    // A negative height is a picture stored top-down.
    return r.known(qint32(r.u32le(18)), height < 0 ? -height : height);
}

PictureHeader readIco(const PictureBytes& r)
{
    constexpr qint64 entrySize = 16;
    if (!r.has(0, 6))
        return r.wants(6);
    const qint64 count = r.u16le(4);
    if (count == 0)
        return {};
    const qint64 end = 6 + entrySize * count;
    if (!r.has(0, end))
        return r.wants(end);
    qint64 width = 0;
    qint64 height = 0;
    for (qint64 entry = 6; entry < end; entry += entrySize) {
        const qint64 w = r.u8(entry) ? r.u8(entry) : 256;
        const qint64 h = r.u8(entry + 1) ? r.u8(entry + 1) : 256;
        if (w * h > width * height) {
            width = w;
            height = h;
        }
    }
    return r.known(width, height);
}

// ---- JPEG: the markers up to the first frame header ----

bool isFrameHeader(quint32 code)
{
    // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

PictureHeader readJpeg(const PictureBytes& r)
{
    qint64 at = 2;
    while (true) {
        if (!r.has(at, 1))
            return r.wants(at + 4);
        if (r.u8(at) != 0xFF)
            return {};
        while (r.u8(at + 1) == 0xFF) // fill bytes before a marker's code
            ++at;
        if (!r.has(at, 4))
            return r.wants(at + 4);
        const quint32 code = r.u8(at + 1);
        if (code == 0x01 || code == 0xD8 || (code >= 0xD0 && code <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (code == 0xD9 || code == 0xDA) // the end, or image data, before any frame header
            return {};
        const qint64 length = r.u16be(at + 2);
        if (length < 2)
            return {};
        if (isFrameHeader(code)) {
            if (length < 8)
                return {};
            if (!r.has(at, 9))
                return r.wants(at + 9);
            return r.known(r.u16be(at + 7), r.u16be(at + 5));
        }
        at += 2 + length;
    }
}

// ---- TIFF: tags 256 and 257 of the first directory ----

PictureHeader readTiff(const PictureBytes& r)
{
    if (!r.has(0, 8))
        return r.wants(8);
    const bool little = r.u8(0) == 'I';
    const auto u16 = [&](qint64 at) { return little ? r.u16le(at) : r.u16be(at); };
    const auto u32 = [&](qint64 at) { return little ? r.u32le(at) : r.u32be(at); };
    const qint64 directory = u32(4);
    if (directory < 8)
        return {};
    if (!r.has(directory, 2))
        return r.wants(directory + 2);
    const qint64 count = u16(directory);
    qint64 width = 0;
    qint64 height = 0;
    for (qint64 i = 0; i < count && !(width && height); ++i) {
        const qint64 entry = directory + 2 + 12 * i;
        if (!r.has(entry, 12))
            return r.wants(entry + 12);
        const quint32 tag = u16(entry);
        if (tag != 256 && tag != 257)
            continue;
        const quint32 type = u16(entry + 2);
        if (type != 3 && type != 4) // SHORT or LONG
            return {};
        (tag == 256 ? width : height) = type == 3 ? u16(entry + 8) : u32(entry + 8);
    }
    return r.known(width, height);
}

// ---- signatures ----

Match pngSignature(QByteArrayView b) { return matchAt(b, 0, signatureBytes("\x89PNG\r\n\x1A\n"sv)); }
Match gifSignature(QByteArrayView b)
{
    return both(matchAt(b, 0, "GIF8"), either(matchAt(b, 4, "7a"), matchAt(b, 4, "9a")));
}
Match jpegSignature(QByteArrayView b) { return matchAt(b, 0, signatureBytes("\xFF\xD8\xFF"sv)); }
Match webpSignature(QByteArrayView b) { return both(matchAt(b, 0, "RIFF"), matchAt(b, 8, "WEBP")); }
Match bmpSignature(QByteArrayView b) { return matchAt(b, 0, "BM"); }
Match icoSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, signatureBytes("\0\0\1\0"sv)), matchAt(b, 0, signatureBytes("\0\0\2\0"sv)));
}
Match tiffSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, signatureBytes("II*\0"sv)), matchAt(b, 0, signatureBytes("MM\0*"sv)));
}
Match isoBmffSignature(QByteArrayView b) { return matchAt(b, 4, "ftyp"); }
Match jxlSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, signatureBytes("\xFF\x0A"sv)),
                  matchAt(b, 0, signatureBytes("\0\0\0\x0CJXL \r\n\x87\n"sv)));
}
// Markup: '<' after an optional byte-order mark and white space.
Match svgSignature(QByteArrayView b)
{
    const Match utf16 =
        either(matchAt(b, 0, signatureBytes("\xFE\xFF"sv)), matchAt(b, 0, signatureBytes("\xFF\xFE"sv)));
    if (utf16 == Match::Yes)
        return Match::Yes;
    const Match bom = matchAt(b, 0, signatureBytes("\xEF\xBB\xBF"sv));
    if (bom == Match::Partial)
        return Match::Partial;
    const QByteArrayView text = bom == Match::Yes ? b.sliced(3) : b;
    const auto first = std::find_if(text.begin(), text.end(), [](char c) {
        return c != ' ' && c != '\t' && c != '\n' && c != '\r';
    });
    if (first == text.end())
        return Match::Partial;
    return *first == '<' ? Match::Yes : Match::No;
}

struct Format {
    Match (*signature)(QByteArrayView);
    qint64 signatureLength; // 0: not fixed
    PictureHeader (*read)(const PictureBytes&);
};

constexpr Format kFormats[] = {
    {pngSignature, 8, readPng},
    {gifSignature, 6, readGif},
    {jpegSignature, 3, readJpeg},
    {webpSignature, 12, readWebp},
    {bmpSignature, 2, readBmp},
    {icoSignature, 4, readIco},
    {tiffSignature, 4, readTiff},
    {isoBmffSignature, 8, readIsoBmffHeader},
    {jxlSignature, 12, readJxlHeader},
    {svgSignature, 0, readSvgHeader},
};

} // namespace

PictureHeader readPictureHeader(QByteArrayView bytes, bool isWhole)
{
    const PictureBytes reading(bytes, isWhole);
    const Format* partial = nullptr;
    for (const Format& format : kFormats) {
        const Match match = format.signature(bytes);
        if (match == Match::Yes)
            return format.read(reading);
        if (match == Match::Partial && !partial)
            partial = &format;
    }
    return partial ? reading.wants(partial->signatureLength) : PictureHeader{};
}
