#pragma once

#include "formats/picture_header.h"

#include <QByteArrayView>

#include <string_view>

// What the picture header readers share.

// A signature's bytes, NULs included.
constexpr QByteArrayView signatureBytes(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

// The bytes with every read bounds-checked (a read past the end gives 0), and the verdicts
// that depend on whether they are the whole body.
class PictureBytes {
public:
    PictureBytes(QByteArrayView bytes, bool isWhole) : m_bytes(bytes), m_isWhole(isWhole) {}

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
        return {PictureHeader::Verdict::Known, int(width), int(height), 0};
    }
    // The bytes stop before `length` (0: no telling where the answer lies).
    PictureHeader wants(qint64 length) const
    {
        if (m_isWhole || length > kPictureHeaderMaxBytes || size() >= kPictureHeaderMaxBytes)
            return {};
        return {PictureHeader::Verdict::NeedMore, 0, 0, length > size() ? length : 0};
    }

private:
    QByteArrayView m_bytes;
    bool m_isWhole;
};
