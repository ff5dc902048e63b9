#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

// Turns byte offsets into a UTF-8 text into positions in the same text as UTF-16 (QString).
// Keeps one checkpoint per block of bytes, so a lookup reads at most one block, and none in
// a block of ASCII, as most of an ordinary page is; a text of ASCII only, where the two
// agree, keeps no checkpoints.
class Utf8Offsets {
public:
    explicit Utf8Offsets(const QByteArray& utf8);
    // offset is clamped to the text; it should stand at the start of a character.
    qsizetype toUtf16(qsizetype byteOffset) const;
    // The same, counting on from an offset whose position is known, which is cheaper when
    // it stands shortly before.
    qsizetype toUtf16(qsizetype byteOffset, qsizetype knownOffset, qsizetype knownPosition) const;

private:
    static constexpr qsizetype kBlock = 64;

    // UTF-16 units of the bytes from `from` up to `to`, which stand in the text.
    qsizetype unitsBetween(qsizetype from, qsizetype to) const;

    // The position of an offset, in the text, whose block holds only ASCII.
    qsizetype inAsciiBlock(qsizetype byteOffset) const;

    QByteArray m_utf8;
    QList<qsizetype> m_checkpoints; // UTF-16 position at byte i * kBlock; none for ASCII
    std::vector<bool> m_asciiBlocks; // whether block i holds only ASCII
};
