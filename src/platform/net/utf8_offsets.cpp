#include "platform/net/utf8_offsets.h"

#include <algorithm>

namespace {

// A lead byte counts its character's UTF-16 units, a continuation byte counts none. Written
// branch-free so that the compiler reads a block many bytes at a time.
qsizetype unitsOf(const char* bytes, qsizetype size)
{
    qsizetype units = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        units += qsizetype((byte & 0xc0) != 0x80) + qsizetype(byte >= 0xf0);
    }
    return units;
}

bool isAscii(const char* bytes, qsizetype size)
{
    unsigned char seen = 0;
    for (qsizetype i = 0; i < size; ++i)
        seen |= static_cast<unsigned char>(bytes[i]);
    return seen < 0x80;
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
