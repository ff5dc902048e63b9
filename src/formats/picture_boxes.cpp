#include "formats/picture_boxes.h"

#include <QList>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>

namespace {

using namespace std::string_view_literals;

// A box that claims to end here ends nowhere we could read.
constexpr qint64 kNoEnd = std::numeric_limits<qint64>::max() / 2;
// FF 0A and the longest SizeHeader of a JPEG XL codestream (68 bits).
constexpr qint64 kJxlSizeHeaderBytes = 2 + 9;

struct Box {
    QByteArrayView type;
    qint64 payload = 0; // where its contents start
    qint64 end = 0;
};

enum class BoxRead { Ok, Short, Bad };

// The box header at `at` inside a container that ends at `limit` (kNoEnd: the file, whose
// last box may claim more than a whole body holds, as a cut file's does).
// Short: the bytes stop inside the header; `wanted` then says how far they must reach.
BoxRead readBox(const PictureBytes& r, qint64 at, qint64 limit, Box& box, qint64& wanted)
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
    if (size == 0) { // to the end of its container, or of the file when that is known
        box.end = limit == kNoEnd && r.isWhole() ? r.size() : limit;
        return BoxRead::Ok;
    }
    if (size < quint64(box.payload - at) || size > quint64(kNoEnd - at))
        return BoxRead::Bad;
    box.end = at + qint64(size);
    return limit != kNoEnd && box.end > limit ? BoxRead::Bad : BoxRead::Ok;
}

// The children of a box, in order, each wholly inside it; false when one is malformed.
template<typename Visit>
bool forEachChild(const PictureBytes& r, qint64 from, qint64 end, Visit visit)
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
PictureHeader readMeta(const PictureBytes& r, const Box& meta)
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

bool hasPictureBrand(const PictureBytes& r, const Box& ftyp)
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

} // namespace

PictureHeader readIsoBmffHeader(const PictureBytes& r)
{
    qint64 wanted = 0;
    Box box;
    for (qint64 at = 0; !r.isWhole() || at < r.size(); at = box.end) {
        const BoxRead read = readBox(r, at, kNoEnd, box, wanted);
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

namespace {

class BitReader {
public:
    BitReader(const PictureBytes& r, qint64 from, qint64 end) : m_r(r), m_bit(from * 8), m_end(end) {}
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
    const PictureBytes& m_r;
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
PictureHeader readJxlCodestream(const PictureBytes& r, qint64 at, qint64 end)
{
    const qint64 readable = std::min(end, r.size());
    if (!r.holds(at, signatureBytes("\xFF\x0A"sv)))
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

} // namespace

PictureHeader readJxlHeader(const PictureBytes& r)
{
    if (r.holds(0, signatureBytes("\xFF\x0A"sv)))
        return readJxlCodestream(r, 0, r.isWhole() ? r.size() : kNoEnd);
    qint64 wanted = 0;
    Box box;
    for (qint64 at = 12; !r.isWhole() || at < r.size(); at = box.end) {
        const BoxRead read = readBox(r, at, kNoEnd, box, wanted);
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
