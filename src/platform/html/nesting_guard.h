#pragma once

#include <QByteArray>

// What one page may make the HTML parser do, whatever its markup.
namespace ParseBounds {
// The parser spends time in proportion to the depth of open elements on every start tag.
inline constexpr int kMaxDepth = 512;
// Formatting elements (b, i, font...) that the parser reopens in every new block while they
// stay unclosed: 500 of them around 20,000 paragraphs would make ten million elements.
inline constexpr int kMaxActiveFormatting = 24;
// Tags, each weighted by the formatting elements it may make the parser reopen: a bound on
// the elements the parser builds (an element takes two tags), so that any page is parsed
// in seconds. Beyond it the snapshot would keep no more elements anyway.
inline constexpr qint64 kMaxParseWork = 500'000;
// The parser checks every attribute of a tag against the ones before it, so its time grows
// with the square of the attributes of one tag. Ordinary elements have a few; SVG and
// framework markup rarely some tens.
inline constexpr int kMaxAttributes = 100;
// Attributes of the whole page, each of which the parser and the snapshot hold: five for
// each element up to the element cap.
inline constexpr qint64 kMaxPageAttributes = 1'000'000;
} // namespace ParseBounds

// Keeps the HTML parser's work bounded. A start tag that would open an element deeper than
// maxDepth, or a formatting element beyond maxFormatting unclosed ones, has its "<" blanked
// so that it reads as text; no byte moves, so source positions stay valid. Once the work
// passes maxWork the rest of the page is cut off, and the page keeps what came before.
// Attributes of a tag beyond maxAttributes are blanked, and the element has the first ones;
// the page is cut off before the tag whose attributes pass maxPageAttributes. A CDATA
// section becomes a comment of the same length, which the parser reads without fault.
// Ordinary pages are left as they are. Gives where the page was cut off, or -1.
qsizetype limitNesting(QByteArray& html, int maxDepth = ParseBounds::kMaxDepth,
                  int maxFormatting = ParseBounds::kMaxActiveFormatting,
                  qint64 maxWork = ParseBounds::kMaxParseWork, int maxAttributes = ParseBounds::kMaxAttributes,
                  qint64 maxPageAttributes = ParseBounds::kMaxPageAttributes);
