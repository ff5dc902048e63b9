#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// Texts packed end to end in one growing buffer: one byte per character when every
// character is ASCII (most addresses), else the UTF-16 code units as they are, so every
// text reads back exactly as it went in.
class PackedTexts {
public:
    struct Span {
        quint64 offset = 0;
        quint32 length = 0; // characters (UTF-16 code units)
        bool wide = false;  // stored as UTF-16
        quint64 end() const { return offset + quint64(length) * (wide ? 2 : 1); }
    };

    Span append(QStringView text);
    QString text(Span span) const;
    // The first byte of an ASCII span.
    const char* narrow(Span span) const { return m_bytes.data() + span.offset; }
    void reserve(qsizetype bytes) { m_bytes.reserve(size_t(bytes)); }

private:
    std::vector<char> m_bytes;
};
