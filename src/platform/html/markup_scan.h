#pragma once

#include <QByteArrayView>

#include <limits>
#include <vector>

// The HTML tokenizer's rules for where markup ends, for the passes that read a page's bytes
// before the parser does: they must see tags, comments and raw text end where it will.
namespace MarkupScan {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Tag names as HTML compares them: ASCII letters in any case.
bool sameName(QByteArrayView a, QByteArrayView b);

// Whether a start tag of this name (any case) has the tokenizer read what follows as raw text
// up to its own end tag: script, style, title and the like. Not noscript: the parser runs no
// scripts, and reads what it holds as markup.
bool isRawText(QByteArrayView name);

// Whether the name (any case) is one of the formatting elements that an end tag closes
// alone, the parser reopening them inside the elements they held: b, big, code, em, font, i,
// nobr, s, small, strike, strong, tt, u. Not a, which a new one closes.
bool isFormatting(QByteArrayView name);

// Where the name of a tag that starts at `at` ends: at a space, "/" or ">", or the page's end.
qsizetype tagNameEnd(QByteArrayView text, qsizetype at);

// Where a tag's attributes end, read as the tokenizer reads them.
struct TagEnd {
    qsizetype end = -1;          // the ">" that ends the tag; -1 if none
    qsizetype overflowFrom = -1; // where the attribute past the cap begins; -1 if none
    int attributes = 0;          // those within the cap
};

// An attribute of a tag as the tokenizer reads it: where its name and its value stand, the
// value without its quotes. An attribute without a value has an empty one at its name's end.
struct AttributeSpan {
    enum class Value : char { None, Quoted, Unquoted };
    qsizetype nameBegin = 0;
    qsizetype nameEnd = 0;
    qsizetype begin = 0;
    qsizetype end = 0;
    Value value = Value::None;

    // Its name and value in the text it was read from.
    QByteArrayView nameIn(QByteArrayView text) const { return text.sliced(nameBegin, nameEnd - nameBegin); }
    QByteArrayView valueIn(QByteArrayView text) const { return text.sliced(begin, end - begin); }
};

// The end of the tag whose attributes start at `at`: a ">" inside a quoted value does not
// end it. Given attributes, those of a tag that ends are added to them.
TagEnd endOfTag(QByteArrayView text, qsizetype at, int maxAttributes = std::numeric_limits<int>::max(),
                std::vector<AttributeSpan>* attributes = nullptr);

// Where a comment starting at `at` ("<!--") ends: after "-->" or "--!>", or at once for the
// empty comments "<!-->" and "<!--->". -1 when it runs to the end of the page.
qsizetype commentEnd(QByteArrayView text, qsizetype at);

// Where the text of a raw text element named `name` (script, style, title...) that starts
// at `from` ends: at the "<" of the end tag of that name. In a script, "<!--" and a
// "<script" after it change which end tag ends it. -1 when the page ends first.
qsizetype rawTextEnd(QByteArrayView text, qsizetype from, QByteArrayView name);

} // namespace MarkupScan
