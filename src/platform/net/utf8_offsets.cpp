#include "platform/net/utf8_offsets.h"

#include <algorithm>

namespace {

// A lead byte counts its character's UTF-16 units, a continuation byte counts none.
inline int unitsOfByte(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xc0)
        return byte >= 0xf0 ? 2 : 1;
    return 0;
}

} // namespace

Utf8Offsets::Utf8Offsets(const QByteArray& utf8) : m_utf8(utf8)
{
    m_checkpoints.reserve(utf8.size() / kBlock + 1);
    qsizetype units = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (i % kBlock == 0)
            m_checkpoints.append(units);
        units += unitsOfByte(static_cast<unsigned char>(utf8[i]));
    }
    if (utf8.size() % kBlock == 0)
        m_checkpoints.append(units);
}

qsizetype Utf8Offsets::toUtf16(qsizetype byteOffset) const
{
    const qsizetype offset = std::clamp<qsizetype>(byteOffset, 0, m_utf8.size());
    const qsizetype block = offset / kBlock;
    qsizetype units = m_checkpoints.at(block);
    for (qsizetype i = block * kBlock; i < offset; ++i)
        units += unitsOfByte(static_cast<unsigned char>(m_utf8[i]));
    return units;
}
