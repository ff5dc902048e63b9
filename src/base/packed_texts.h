#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// Texts packed end to end in pieces of storage that never move: one byte per character when
// every character is ASCII (most addresses), else the UTF-16 code units as they are, so
// every text reads back exactly as it went in.
class PackedTexts {
public:
    struct Span {
        quint64 offset = 0; // piece number in the high 32 bits, byte in the piece in the low
        quint32 length = 0; // characters (UTF-16 code units)
        bool wide = false;  // stored as UTF-16
        quint64 end() const { return offset + quint64(length) * (wide ? 2 : 1); }
    };

    // The next texts, up to characters in all, go into one piece, each right after the one
    // before, so that a span's end is where the next begins.
    void keepTogether(qsizetype characters);
    Span append(QStringView text);
    QString text(Span span) const;
    bool equals(Span span, QStringView text) const;
    // The first byte of an ASCII span.
    const char* narrow(Span span) const { return m_pieces[span.offset >> 32].get() + (span.offset & 0xFFFFFFFFu); }

private:
    static constexpr size_t pieceBytes = size_t(1) << 20;

    std::vector<std::unique_ptr<char[]>> m_pieces;
    size_t m_used = 0;     // bytes used in the last piece
    size_t m_capacity = 0; // bytes in the last piece
};
