#include "platform/html/utf8_offsets.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr quint64 kHighBits = 0x8080808080808080ull;

quint64 wordAt(const char* bytes)
{
    quint64 word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// How many bytes have their top bit set, counted by a multiplication that adds all bytes
// up in the highest one (the target may have no instruction to count bits).
int topBits(quint64 x)
{
    return int((((x & kHighBits) >> 7) * 0x0101010101010101ull) >> 56);
}

// A lead byte counts its character's UTF-16 units, a continuation byte (10xxxxxx) counts
// none, and a lead of four bytes (11110xxx) two: what eight bytes count beyond one each. A
// shift moves the lower bits of each byte up to its top bit, so both kinds show as top bits
// to count; a zero byte counts one.
int extraUnits(quint64 x)
{
    const quint64 continuations = x & ~(x << 1);
    const quint64 fourByteLeads = x & (x << 1) & (x << 2) & (x << 3);
    return topBits(fourByteLeads) - topBits(continuations);
}

// Read in runs of 64 bytes, to stop soon on a page that is not.
bool isAscii(const char* bytes, qsizetype size)
{
    quint64 seen = 0;
    qsizetype i = 0;
    for (; i + 64 <= size; i += 64) {
        for (qsizetype word = 0; word < 64; word += 8)
            seen |= wordAt(bytes + i + word);
        if (seen & kHighBits)
            return false;
    }
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
    m_asciiBlocks.reserve(size_t(utf8.size() / kBlock + 1));
    qsizetype units = 0;
    for (qsizetype at = 0; at <= utf8.size(); at += kBlock) {
        const qsizetype end = std::min(at + kBlock, utf8.size());
        const bool ascii = isAscii(utf8.constData() + at, end - at);
        m_checkpoints.append(units);
        m_asciiBlocks.push_back(ascii);
        units += ascii ? end - at : unitsBetween(at, end);
    }
}

qsizetype Utf8Offsets::inAsciiBlock(qsizetype byteOffset) const
{
    return m_checkpoints.at(byteOffset / kBlock) + byteOffset % kBlock;
}

qsizetype Utf8Offsets::toUtf16(qsizetype byteOffset) const
{
    const qsizetype offset = std::clamp<qsizetype>(byteOffset, 0, m_utf8.size());
    if (m_checkpoints.isEmpty())
        return offset;
    if (m_asciiBlocks[size_t(offset / kBlock)])
        return inAsciiBlock(offset);
    const qsizetype blockStart = offset - offset % kBlock;
    return m_checkpoints.at(offset / kBlock) + unitsBetween(blockStart, offset);
}

qsizetype Utf8Offsets::toUtf16(qsizetype byteOffset, qsizetype knownOffset, qsizetype knownPosition) const
{
    const qsizetype offset = std::clamp<qsizetype>(byteOffset, 0, m_utf8.size());
    if (m_checkpoints.isEmpty())
        return offset;
    if (m_asciiBlocks[size_t(offset / kBlock)])
        return inAsciiBlock(offset);
    if (knownOffset < 0 || knownOffset > offset || offset - knownOffset > kBlock)
        return toUtf16(offset);
    return knownPosition + unitsBetween(knownOffset, offset);
}

qsizetype Utf8Offsets::unitsBetween(qsizetype from, qsizetype to) const
{
    const char* const bytes = m_utf8.constData();
    qsizetype units = to - from;
    qsizetype i = from;
    for (; i + 8 <= to; i += 8)
        units += extraUnits(wordAt(bytes + i));
    if (i == to)
        return units;
    if constexpr (std::endian::native == std::endian::little) {
        if (i + 8 <= m_utf8.size()) {
            // The bytes past `to` read as zeros, which count one each like any ASCII byte.
            const quint64 mask = ~quint64(0) >> (8 * (8 - (to - i)));
            return units + extraUnits(wordAt(bytes + i) & mask);
        }
    }
    for (; i < to; ++i)
        units += extraUnits(static_cast<unsigned char>(bytes[i]));
    return units;
}
