#pragma once

#include "platform/html/markup_scan.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

// A page as the HTML parser is given it: each long run of text between tags cut to the two
// characters that decide the tree the parser builds from it, its first one (a newline right
// after <pre> is dropped, any other opens formatting elements again) and one standing for
// the rest (a letter when the rest holds anything but spaces, else a space). The parser
// reads text a character at a time, and text is half of an ordinary page; the elements it
// builds are the same, and where they stand maps back to the page.
//
// Runs with a character reference, a NUL or a ">" are left whole, and so
// is the text of scripts, style blocks, text areas and titles (the snapshot reads a title
// from the parser). From markup that the pass cannot follow as the tokenizer does (CDATA,
// PLAINTEXT, a construct without its end) on, the page is left as it is.
// Long quoted attribute values that the parser hands on as they stand (no character
// reference, no character it replaces) are cut to their first character as well, but for
// those the parser reads: their text is then read from the page (cutValue). A start tag
// whose attributes are all plain (names of lower-case letters, digits and "-_.:", values
// handed on as they stand) goes to the parser without them where they build nothing: the
// tag's attributes are then read from the page (bareTagAttributes).
class ThinnedMarkup {
public:
    // An attribute of a tag given to the parser bare, as the parser would have read it.
    struct PageAttribute {
        QByteArrayView name;
        QByteArrayView value;
    };
    // The attributes of one bare tag, in the page's order.
    class BareAttributes {
    public:
        BareAttributes(const ThinnedMarkup& markup, size_t first, size_t count)
            : m_markup(&markup), m_first(first), m_count(count)
        {
        }
        size_t size() const { return m_count; }
        PageAttribute operator[](size_t i) const;

    private:
        const ThinnedMarkup* m_markup;
        size_t m_first;
        size_t m_count;
    };

    explicit ThinnedMarkup(const QByteArray& html);

    // The page itself when nothing was cut.
    const QByteArray& bytes() const { return m_bytes; }
    // Where a position in bytes() stands in the page. Quickest when asked in document order.
    qsizetype originalOffset(qsizetype offset) const;
    // The text of an attribute value that was cut, as the page holds it; none for a value
    // left whole. quoted: the value with its quotes, where it stands in bytes().
    std::optional<QByteArrayView> cutValue(QByteArrayView quoted) const;
    // The attributes of the start tag whose "<" stands at `tagStart` in bytes(), when the
    // parser was given the tag without them; none otherwise.
    std::optional<BareAttributes> bareTagAttributes(qsizetype tagStart) const;

private:
    // From `thinned` on, positions move with the page's from `original`.
    struct Anchor {
        qsizetype thinned = 0;
        qsizetype original = 0;
    };

    // A value cut to its first character, which stands at `thinned`; [begin, end) in the page.
    struct CutValue {
        qsizetype thinned = 0;
        qsizetype begin = 0;
        qsizetype end = 0;
    };

    // A start tag given bare, its "<" at `thinned`, and its attributes in m_attributes.
    struct BareTag {
        qsizetype thinned = 0;
        size_t first = 0;
        size_t count = 0;
    };

    QByteArray m_page;
    QByteArray m_bytes;
    std::vector<Anchor> m_anchors;
    std::vector<CutValue> m_cutValues;
    std::vector<BareTag> m_bareTags;
    std::vector<MarkupScan::AttributeSpan> m_attributes; // in the page
    mutable size_t m_lastAnchor = 0; // where the last look-up ended
    mutable size_t m_lastCutValue = 0;
    mutable size_t m_lastBareTag = 0;
};
