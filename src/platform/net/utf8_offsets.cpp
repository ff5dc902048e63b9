#include "platform/net/utf8_offsets.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr quint64 kHighBits = 0x8080808080808080ull;

quint64 wordAt(const char* bytes)
{
    quint64 word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A lead byte counts its character's UTF-16 units, a continuation byte (10xxxxxx) counts
// none, and a lead of four bytes (11110xxx) two. Eight bytes at a time: a shift moves the
// lower bits of each byte up to its top bit, so both kinds show as top bits to count.
qsizetype unitsOf(const char* bytes, qsizetype size)
{
    qsizetype units = size;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        const quint64 x = wordAt(bytes + i);
        const quint64 continuations = x & ~(x << 1) & kHighBits;
        const quint64 fourByteLeads = x & (x << 1) & (x << 2) & (x << 3) & kHighBits;
        units += std::popcount(fourByteLeads) - std::popcount(continuations);
    }
    for (; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        units += qsizetype(byte >= 0xf0) - qsizetype((byte & 0xc0) == 0x80);
    }
    return units;
}

bool isAscii(const char* bytes, qsizetype size)
{
    quint64 seen = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8)
        seen |= wordAt(bytes + i);
    for (; i < size; ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return (seen & kHighBits) == 0;
}

} // namespace

Utf8Offsets::Utf8Offsets(const QByteArray& utf8) : m_utf8(utf8)
{
    if (isAscii(utf8.constData(), utf8.size()))
        return; // every byte a character: offsets are positions
    m_checkpoints.reserve(utf8.size() / kBlock + 1);
    qsizetype units = 0;
    for (qsizetype at = 0; at <= utf8.size(); at += kBlock) {
        m_checkpoints.append(units);
        units += unitsOf(utf8.constData() + at, std::min(kBlock, utf8.size() - at));
    }
}

qsizetype Utf8Offsets::toUtf16(qsizetype byteOffset) const
{
    const qsizetype offset = std::clamp<qsizetype>(byteOffset, 0, m_utf8.size());
    if (m_checkpoints.isEmpty())
        return offset;
    const qsizetype block = offset / kBlock;
    return m_checkpoints.at(block) + unitsOf(m_utf8.constData() + block * kBlock, offset - block * kBlock);
}
