#include "extract/picture_header.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

using namespace std::string_view_literals;
using Verdict = PictureHeader::Verdict;

// A box or segment that claims to end here ends nowhere we could read.
constexpr qint64 kNoEnd = std::numeric_limits<qint64>::max() / 2;
// FF 0A and the longest SizeHeader of a JPEG XL codestream (68 bits).
constexpr qint64 kJxlSizeHeaderBytes = 2 + 9;

constexpr QByteArrayView sig(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

// The bytes with every read bounds-checked (a read past the end gives 0), and the verdicts
// that depend on whether they are the whole body.
class Reading {
public:
    Reading(QByteArrayView bytes, bool isWhole) : m_bytes(bytes), m_isWhole(isWhole) {}

    qint64 size() const { return m_bytes.size(); }
    bool isWhole() const { return m_isWhole; }
    QByteArrayView bytes() const { return m_bytes; }
    bool has(qint64 at, qint64 count) const
    {
        return at >= 0 && count >= 0 && at <= size() && count <= size() - at;
    }
    bool holds(qint64 at, QByteArrayView text) const
    {
        return has(at, text.size()) && m_bytes.sliced(at, text.size()) == text;
    }
    quint32 u8(qint64 at) const { return has(at, 1) ? quint8(m_bytes[at]) : 0; }
    quint32 u16be(qint64 at) const { return u8(at) << 8 | u8(at + 1); }
    quint32 u16le(qint64 at) const { return u8(at) | u8(at + 1) << 8; }
    quint32 u24le(qint64 at) const { return u16le(at) | u8(at + 2) << 16; }
    quint32 u32be(qint64 at) const { return u16be(at) << 16 | u16be(at + 2); }
    quint32 u32le(qint64 at) const { return u16le(at) | u16le(at + 2) << 16; }
    quint64 u64be(qint64 at) const { return quint64(u32be(at)) << 32 | u32be(at + 4); }

    PictureHeader known(qint64 width, qint64 height) const
    {
        if (width <= 0 || height <= 0 || width > kPictureMaxPixels / height)
            return {};
        return {Verdict::Known, int(width), int(height), 0};
    }
    // The bytes stop before `length` (0: no telling where the answer lies).
    PictureHeader wants(qint64 length) const
    {
        if (m_isWhole || length > kPictureHeaderMaxBytes || size() >= kPictureHeaderMaxBytes)
            return {};
        return {Verdict::NeedMore, 0, 0, length > size() ? length : 0};
    }

private:
    QByteArrayView m_bytes;
    bool m_isWhole;
};

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

PictureHeader readPng(const Reading& r)
{
    if (!r.has(0, 24))
        return r.wants(24);
    if (!r.holds(12, "IHDR"))
        return {};
    return r.known(r.u32be(16), r.u32be(20));
}

PictureHeader readGif(const Reading& r)
{
    if (!r.has(0, 10))
        return r.wants(10);
    return r.known(r.u16le(6), r.u16le(8));
}

PictureHeader readWebp(const Reading& r)
{
    const qint64 needed = r.holds(12, "VP8L") ? 25 : 30;
    if (!r.has(0, needed))
        return r.wants(needed);
    if (r.holds(12, "VP8 ")) {
        if (!r.holds(23, sig("\x9D\x01\x2A"sv)))
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

PictureHeader readBmp(const Reading& r)
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

PictureHeader readIco(const Reading& r)
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

PictureHeader readJpeg(const Reading& r)
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

PictureHeader readTiff(const Reading& r)
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

// ---- ISO base media boxes: AVIF and HEIF ----

struct Box {
    QByteArrayView type;
    qint64 payload = 0; // where its contents start
    qint64 end = 0;
};

enum class BoxRead { Ok, Short, Bad };

// The box header at `at` inside a container that ends at `limit` (kNoEnd: unknown).
// Short: the bytes stop inside the header; `wanted` then says how far they must reach.
BoxRead readBox(const Reading& r, qint64 at, qint64 limit, Box& box, qint64& wanted)
{
    if (limit != kNoEnd && at + 8 > limit)
        return BoxRead::Bad;
    if (!r.has(at, 8)) {
        wanted = at + 8;
        return BoxRead::Short;
    }
    quint64 size = r.u32be(at);
    box.type = r.bytes().sliced(at + 4, 4);
    box.payload = at + 8;
    if (size == 1) {
        if (!r.has(at, 16)) {
            wanted = at + 16;
            return BoxRead::Short;
        }
        size = r.u64be(at + 8);
        box.payload = at + 16;
    }
    if (size == 0) { // to the end of its container
        box.end = limit;
        return BoxRead::Ok;
    }
    if (size < quint64(box.payload - at) || size > quint64(kNoEnd - at))
        return BoxRead::Bad;
    box.end = at + qint64(size);
    return limit != kNoEnd && box.end > limit ? BoxRead::Bad : BoxRead::Ok;
}

// The children of a box, in order, each wholly inside it; false when one is malformed.
template<typename Visit>
bool forEachChild(const Reading& r, qint64 from, qint64 end, Visit visit)
{
    qint64 unused = 0;
    for (qint64 at = from; at < end;) {
        Box child;
        if (readBox(r, at, end, child, unused) != BoxRead::Ok)
            return false;
        visit(child);
        at = child.end;
    }
    return true;
}

struct Extent {
    qint64 width = 0;
    qint64 height = 0;
};

// meta > pitm names the primary item; meta > iprp > ipco holds the properties (ispe: the
// size) and ipma ties items to them by 1-based index.
PictureHeader readMeta(const Reading& r, const Box& meta)
{
    std::optional<quint32> primary;
    QList<Extent> properties;
    QList<std::pair<quint32, QList<quint32>>> associations;

    const auto readProperties = [&](const Box& ipco) {
        return forEachChild(r, ipco.payload, ipco.end, [&](const Box& property) {
            Extent extent;
            if (property.type == "ispe" && property.payload + 12 <= property.end)
                extent = {r.u32be(property.payload + 4), r.u32be(property.payload + 8)};
            properties.append(extent);
        });
    };
    const auto readAssociations = [&](const Box& ipma) {
        const quint32 version = r.u8(ipma.payload);
        const bool wideIndex = r.u8(ipma.payload + 3) & 1; // the lowest bit of the flags
        const qint64 idSize = version < 1 ? 2 : 4;
        const qint64 indexSize = wideIndex ? 2 : 1;
        const quint32 entries = r.u32be(ipma.payload + 4);
        qint64 at = ipma.payload + 8;
        for (quint32 e = 0; e < entries && at + idSize + 1 <= ipma.end; ++e) {
            const quint32 item = idSize == 2 ? r.u16be(at) : r.u32be(at);
            const qint64 count = r.u8(at + idSize);
            at += idSize + 1;
            if (at + count * indexSize > ipma.end)
                return;
            QList<quint32> indexes;
            for (qint64 i = 0; i < count; ++i, at += indexSize)
                indexes.append(wideIndex ? r.u16be(at) & 0x7FFF : r.u8(at) & 0x7F);
            associations.append({item, indexes});
        }
    };
    bool wellFormedParts = true;
    const bool wellFormed = forEachChild(r, meta.payload + 4, meta.end, [&](const Box& child) {
        if (child.type == "pitm" && child.payload + 6 <= child.end)
            primary = r.u8(child.payload) == 0 ? r.u16be(child.payload + 4) : r.u32be(child.payload + 4);
        if (child.type != "iprp")
            return;
        wellFormedParts = wellFormedParts && forEachChild(r, child.payload, child.end, [&](const Box& part) {
            if (part.type == "ipco")
                wellFormedParts = wellFormedParts && readProperties(part);
            else if (part.type == "ipma" && part.payload + 8 <= part.end)
                readAssociations(part);
        });
    });
    if (!wellFormed || !wellFormedParts)
        return {};
    for (const auto& [item, indexes] : associations) {
        if (!primary || item != *primary)
            continue;
        for (const quint32 index : indexes) {
            if (index >= 1 && index <= quint32(properties.size()) && properties.at(index - 1).width)
                return r.known(properties.at(index - 1).width, properties.at(index - 1).height);
        }
    }
    const auto largest = std::max_element(properties.begin(), properties.end(), [](Extent a, Extent b) {
        return a.width * a.height < b.width * b.height;
    });
    return largest == properties.end() ? PictureHeader{} : r.known(largest->width, largest->height);
}

bool hasPictureBrand(const Reading& r, const Box& ftyp)
{
    const auto brand = [&](qint64 at) {
        const QByteArrayView b = r.bytes().sliced(at, 4);
        return b == "avif" || b == "avis" || b == "heic" || b == "heix" || b == "mif1";
    };
    if (ftyp.payload + 4 > ftyp.end)
        return false;
    if (brand(ftyp.payload))
        return true;
    for (qint64 at = ftyp.payload + 8; at + 4 <= ftyp.end; at += 4) {
        if (brand(at))
            return true;
    }
    return false;
}

PictureHeader readIsoBmff(const Reading& r)
{
    const qint64 fileEnd = r.isWhole() ? r.size() : kNoEnd;
    qint64 wanted = 0;
    Box box;
    for (qint64 at = 0; !r.isWhole() || at < r.size(); at = box.end) {
        const BoxRead read = readBox(r, at, fileEnd, box, wanted);
        if (read == BoxRead::Short)
            return r.wants(wanted);
        if (read == BoxRead::Bad)
            return {};
        const bool needed = at == 0 || box.type == "meta";
        if (needed && !r.has(at, box.end - at))
            return r.wants(box.end);
        if (at == 0 && (box.type != "ftyp" || !hasPictureBrand(r, box)))
            return {};
        if (box.type == "meta")
            return box.payload + 4 <= box.end ? readMeta(r, box) : PictureHeader{};
        if (box.end == kNoEnd) // a box to the end of the file: nothing follows it
            return {};
    }
    return {};
}

// ---- JPEG XL: the SizeHeader of the codestream ----

class BitReader {
public:
    BitReader(const Reading& r, qint64 from, qint64 end) : m_r(r), m_bit(from * 8), m_end(end) {}
    // n bits, least significant first; nothing past the end.
    std::optional<quint32> take(int n)
    {
        if (m_bit + n > m_end * 8)
            return std::nullopt;
        quint32 value = 0;
        for (int i = 0; i < n; ++i, ++m_bit)
            value |= (m_r.u8(m_bit / 8) >> (m_bit % 8) & 1u) << i;
        return value;
    }

private:
    const Reading& m_r;
    qint64 m_bit;
    qint64 m_end;
};

std::optional<qint64> jxlDimension(BitReader& bits, bool small)
{
    if (small) {
        const auto div8 = bits.take(5);
        return div8 ? std::optional<qint64>((*div8 + 1) * 8) : std::nullopt;
    }
    constexpr int widths[] = {9, 13, 18, 30};
    const auto selector = bits.take(2);
    const auto value = selector ? bits.take(widths[*selector]) : std::nullopt;
    return value ? std::optional<qint64>(qint64(*value) + 1) : std::nullopt;
}

// The codestream starts at `at` (FF 0A); `end` is where its box ends.
PictureHeader readJxlCodestream(const Reading& r, qint64 at, qint64 end)
{
    const qint64 readable = std::min(end, r.size());
    if (!r.holds(at, sig("\xFF\x0A"sv)))
        return !r.has(at, 2) && readable < end ? r.wants(at + kJxlSizeHeaderBytes) : PictureHeader{};
    BitReader bits(r, at + 2, readable);
    const auto small = bits.take(1);
    const auto height = small ? jxlDimension(bits, *small) : std::nullopt;
    const auto ratio = height ? bits.take(3) : std::nullopt;
    if (!ratio)
        return readable < end ? r.wants(at + kJxlSizeHeaderBytes) : PictureHeader{};
    // Width from the height by a fixed aspect ratio, as the format defines them.
    constexpr qint64 ratios[][2] = {{1, 1}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}};
    if (*ratio != 0)
        return r.known(*height * ratios[*ratio][0] / ratios[*ratio][1], *height);
    const auto width = jxlDimension(bits, *small);
    if (!width)
        return readable < end ? r.wants(at + kJxlSizeHeaderBytes) : PictureHeader{};
    return r.known(*width, *height);
}

PictureHeader readJxl(const Reading& r)
{
    if (r.holds(0, sig("\xFF\x0A"sv)))
        return readJxlCodestream(r, 0, r.isWhole() ? r.size() : kNoEnd);
    const qint64 fileEnd = r.isWhole() ? r.size() : kNoEnd;
    qint64 wanted = 0;
    Box box;
    for (qint64 at = 12; !r.isWhole() || at < r.size(); at = box.end) {
        const BoxRead read = readBox(r, at, fileEnd, box, wanted);
        if (read == BoxRead::Short)
            return r.wants(wanted);
        if (read == BoxRead::Bad)
            return {};
        if (box.type == "jxlc")
            return readJxlCodestream(r, box.payload, box.end);
        if (box.type == "jxlp") // the first part: a 4-byte index, then the codestream's start
            return readJxlCodestream(r, box.payload + 4, box.end);
        if (box.end == kNoEnd)
            return {};
    }
    return {};
}

// ---- SVG: the root element's width, height and viewBox ----

// A length in CSS pixels: a plain number, px or an absolute unit; nothing for percent, em
// and the like, which only a layout can resolve.
std::optional<double> svgLength(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][-+]?[0-9]+)?)(px|in|cm|mm|pt|pc)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toLower();
    const double scale = unit == u"in" ? 96 : unit == u"cm" ? 96 / 2.54 : unit == u"mm" ? 96 / 25.4
                         : unit == u"pt" ? 96.0 / 72 : unit == u"pc" ? 16 : 1;
    const double value = match.capturedView(1).toDouble() * scale;
    if (!std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// Rounded as a browser rounds a picture's natural size; anything out of range is 0.
qint64 toPixels(double value)
{
    return value > 0 && value < double(kPictureMaxPixels) ? qint64(std::floor(value + 0.5)) : 0;
}

PictureHeader svgSize(const Reading& r, const QXmlStreamAttributes& attributes)
{
    const auto width = svgLength(attributes.value(QLatin1String("width")));
    const auto height = svgLength(attributes.value(QLatin1String("height")));
    if (width && height)
        return r.known(toPixels(*width), toPixels(*height));
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList box = attributes.value(QLatin1String("viewBox")).toString().trimmed().split(separators);
    if (box.size() != 4)
        return {};
    bool widthOk = false;
    bool heightOk = false;
    const double boxWidth = box.at(2).toDouble(&widthOk);
    const double boxHeight = box.at(3).toDouble(&heightOk);
    if (!widthOk || !heightOk || !(boxWidth > 0) || !(boxHeight > 0) || !std::isfinite(boxWidth * boxHeight))
        return {};
    // One figure given: the other follows from the viewBox's aspect ratio.
    if (width)
        return r.known(toPixels(*width), toPixels(*width * boxHeight / boxWidth));
    if (height)
        return r.known(toPixels(*height * boxWidth / boxHeight), toPixels(*height));
    return r.known(toPixels(boxWidth), toPixels(boxHeight));
}

PictureHeader readSvg(const Reading& r)
{
    const qint64 readable = std::min(r.size(), kPictureHeaderMaxBytes);
    QXmlStreamReader xml(r.bytes().first(readable).toByteArray());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        return xml.name() == u"svg" ? svgSize(r, xml.attributes()) : PictureHeader{};
    }
    return xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && readable == r.size() ? r.wants(0)
                                                                                                : PictureHeader{};
}

// ---- signatures ----

Match pngSignature(QByteArrayView b) { return matchAt(b, 0, sig("\x89PNG\r\n\x1A\n"sv)); }
Match gifSignature(QByteArrayView b)
{
    return both(matchAt(b, 0, "GIF8"), either(matchAt(b, 4, "7a"), matchAt(b, 4, "9a")));
}
Match jpegSignature(QByteArrayView b) { return matchAt(b, 0, sig("\xFF\xD8\xFF"sv)); }
Match webpSignature(QByteArrayView b) { return both(matchAt(b, 0, "RIFF"), matchAt(b, 8, "WEBP")); }
Match bmpSignature(QByteArrayView b) { return matchAt(b, 0, "BM"); }
Match icoSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, sig("\0\0\1\0"sv)), matchAt(b, 0, sig("\0\0\2\0"sv)));
}
Match tiffSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, sig("II*\0"sv)), matchAt(b, 0, sig("MM\0*"sv)));
}
Match isoBmffSignature(QByteArrayView b) { return matchAt(b, 4, "ftyp"); }
Match jxlSignature(QByteArrayView b)
{
    return either(matchAt(b, 0, sig("\xFF\x0A"sv)), matchAt(b, 0, sig("\0\0\0\x0CJXL \r\n\x87\n"sv)));
}
// Markup: '<' after an optional byte-order mark and white space.
Match svgSignature(QByteArrayView b)
{
    if (either(matchAt(b, 0, sig("\xFE\xFF"sv)), matchAt(b, 0, sig("\xFF\xFE"sv))) == Match::Yes)
        return Match::Yes;
    const Match bom = matchAt(b, 0, sig("\xEF\xBB\xBF"sv));
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
    PictureHeader (*read)(const Reading&);
};

constexpr Format kFormats[] = {
    {pngSignature, 8, readPng},           {gifSignature, 6, readGif},
    {jpegSignature, 3, readJpeg},         {webpSignature, 12, readWebp},
    {bmpSignature, 2, readBmp},           {icoSignature, 4, readIco},
    {tiffSignature, 4, readTiff},         {isoBmffSignature, 8, readIsoBmff},
    {jxlSignature, 12, readJxl},          {svgSignature, 0, readSvg},
};

} // namespace

PictureHeader readPictureHeader(QByteArrayView bytes, bool isWhole)
{
    const Reading reading(bytes, isWhole);
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
