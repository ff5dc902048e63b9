#include "platform/html/thinned_markup.h"

#include "platform/html/markup_scan.h"

#include <QByteArrayView>

#include <algorithm>
#include <array>
#include <limits>

using namespace MarkupScan;

namespace {

// A run is cut only when that saves bytes; below this it would hardly save the parser any.
constexpr qsizetype kShortestRun = 4;

// What a run must not hold to be cut: a ">" may end markup the pass did not follow, a
// character reference may stand for a space, and a NUL is no character to the parser.
constexpr auto kKeepsRunWhole = [] {
    std::array<bool, 256> keeps{};
    for (const unsigned char c : {'>', '&', '\0'})
        keeps[c] = true;
    return keeps;
}();

// The ASCII an attribute's value may hold to be cut: printable, which the parser hands on as
// it stands, without a character reference, nor a bracket that reads as markup to a pass
// that errs.
constexpr auto kValueByteCuts = [] {
    std::array<bool, 256> cuts{};
    for (int c = 0x20; c < 0x7F; ++c)
        cuts[size_t(c)] = c != '&' && c != '<' && c != '>';
    return cuts;
}();

// Whether the parser hands a quoted value on as the page holds it, so that the value can be
// read from the page: printable ASCII as above, and beyond ASCII valid UTF-8 but the
// controls and non-characters that the parser replaces.
bool parserKeepsValue(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size();) {
        const auto lead = static_cast<unsigned char>(value[i]);
        if (lead < 0x80) {
            if (!kValueByteCuts[lead])
                return false;
            ++i;
            continue;
        }
        const qsizetype length = lead > 0xF4 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > value.size())
            return false;
        char32_t point = lead & (0xFF >> (length + 1));
        for (qsizetype k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(value[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
        const bool surrogate = point >= 0xD800 && point <= 0xDFFF;
        const bool replaced = point <= 0x9F || (point >= 0xFDD0 && point <= 0xFDEF) || (point & 0xFFFE) == 0xFFFE;
        if (overlong || surrogate || point > 0x10FFFF || replaced)
            return false;
        i += length;
    }
    return true;
}

// What an unquoted value may hold to go with its tag: as a quoted one, and no character the
// tokenizer takes for a parse error there.
constexpr auto kUnquotedValueByteGoes = [] {
    std::array<bool, 256> goes = kValueByteCuts;
    for (const unsigned char c : {'"', '\'', '=', '`'})
        goes[c] = false;
    return goes;
}();

// What an attribute's name may hold to go with its tag: the name as the parser would give it.
constexpr auto kNameByteGoes = [] {
    std::array<bool, 256> goes{};
    for (int c = 'a'; c <= 'z'; ++c)
        goes[size_t(c)] = true;
    for (int c = '0'; c <= '9'; ++c)
        goes[size_t(c)] = true;
    for (const unsigned char c : {'-', '_', '.', ':'})
        goes[c] = true;
    return goes;
}();

// A tag with more attributes keeps them: each is compared with the others for a repeat.
constexpr size_t kMostAttributesThatGo = 32;

template <size_t N>
bool allIn(const std::array<bool, N>& table, QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [&](char c) { return table[static_cast<unsigned char>(c)]; });
}

// Attributes whose values the parser reads as it builds the tree: an <input type=hidden> in a
// table, an <annotation-xml encoding> that holds HTML, and an <isindex prompt> made into text.
bool parserReadsValue(QByteArrayView attributeName)
{
    switch (attributeName.size()) {
    case 4:
        return sameName(attributeName, "type");
    case 6:
        return sameName(attributeName, "prompt");
    case 8:
        return sameName(attributeName, "encoding");
    default:
        return false;
    }
}

// Start tags whose attributes the parser reads or moves, besides the formatting elements':
// an input's type (a hidden one stays in a table), an isindex's prompt, those of a second
// html or body (added to the first), and those of svg and math (names and namespaces adjusted).
bool parserReadsAttributes(QByteArrayView tagName)
{
    switch (tagName.size()) {
    case 3:
        return sameName(tagName, "svg");
    case 4:
        return sameName(tagName, "html") || sameName(tagName, "body") || sameName(tagName, "math");
    case 5:
        return sameName(tagName, "input");
    case 7:
        return sameName(tagName, "isindex");
    default:
        return false;
    }
}

// The last of the entries, sorted by where they stand in the thinned page, at or before
// `offset`; none when the first stands after it. Positions are asked for in document order,
// mostly a few entries on from the one found last, which `last` keeps.
template <typename Entry>
std::optional<size_t> lastAtOrBefore(const std::vector<Entry>& entries, qsizetype offset, size_t& last)
{
    constexpr size_t kSteps = 4;
    size_t at = last;
    if (at >= entries.size() || entries[at].thinned > offset) {
        at = entries.size();
    } else {
        for (size_t steps = 0; at + 1 < entries.size() && entries[at + 1].thinned <= offset; ++at) {
            if (++steps == kSteps) {
                at = entries.size();
                break;
            }
        }
    }
    if (at == entries.size()) {
        const auto after = std::upper_bound(entries.cbegin(), entries.cend(), offset,
                                            [](qsizetype value, const Entry& entry) { return value < entry.thinned; });
        if (after == entries.cbegin())
            return std::nullopt;
        at = size_t(std::prev(after) - entries.cbegin());
    }
    last = at;
    return at;
}

// Past the first ">" from `from`, which ends doctypes and bogus comments; -1 when none.
qsizetype pastNextGreaterThan(QByteArrayView page, qsizetype from)
{
    const qsizetype close = page.indexOf('>', from);
    return close < 0 ? -1 : close + 1;
}

// The SVG and MathML elements open, as far as their start and end tags tell. Inside them a
// script, style or title is no raw text but an element like the others; where the parser
// went back to HTML (a <p> in an <svg>) they may be raw text again.
struct ForeignDepth {
    int svg = 0;
    int math = 0;
    bool inside() const { return svg > 0 || math > 0; }
    void count(QByteArrayView name, bool endTag)
    {
        int* depth = sameName(name, "svg") ? &svg : sameName(name, "math") ? &math : nullptr;
        if (depth)
            *depth = endTag ? std::max(0, *depth - 1) : *depth + 1;
    }
};

// Where the tokenizer is back in its data state after the "<" at `lt`: past a tag, comment,
// doctype or bogus comment, at the end tag of raw text, or right after the "<" when it is
// text. -1 when the rest of the page is not to be cut: it ends first, it is CDATA or
// PLAINTEXT, which the pass does not follow, or a script, style or title inside SVG or
// MathML holds markup that reads otherwise as raw text than as elements.
// A start tag whose attributes the parser does not compare: where its name ends and its ">"
// stands, and whether its attributes may go with the tag. Those are added to attributes.
struct StartTag {
    qsizetype nameEnd = -1;
    qsizetype close = -1;
    bool attributesMayGo = false;
};
qsizetype pastMarkup(QByteArrayView page, qsizetype lt, ForeignDepth& foreign, std::vector<AttributeSpan>& attributes,
                     StartTag& startTag)
{
    if (lt + 1 >= page.size())
        return -1;
    const char c = page[lt + 1];
    const QByteArrayView rest = page.sliced(lt);
    const bool endTag = c == '/' && lt + 2 < page.size() && isLetter(page[lt + 2]);
    if (isLetter(c) || endTag) {
        const qsizetype nameBegin = lt + (endTag ? 2 : 1);
        const qsizetype nameEnd = tagNameEnd(page, nameBegin);
        const QByteArrayView name = page.sliced(nameBegin, nameEnd - nameBegin);
        // The parser compares a formatting element's attributes, to keep no more than three
        // alike open; an <a> is never open twice, and is no formatting element here.
        const bool valuesMayGo = !endTag && !isFormatting(name);
        const qsizetype close = endOfTag(page, nameEnd, std::numeric_limits<int>::max(), valuesMayGo ? &attributes : nullptr).end;
        if (close < 0 || (!endTag && sameName(name, QByteArrayView("plaintext"))))
            return -1;
        if (valuesMayGo)
            startTag = {nameEnd, close, !foreign.inside() && !parserReadsAttributes(name)};
        foreign.count(name, endTag);
        if (endTag || !isRawText(name))
            return close + 1;
        const qsizetype end = rawTextEnd(page, close + 1, name);
        // Read either way, text without a "<" ends at the same end tag.
        if (foreign.inside() && end >= 0 && page.sliced(close + 1, end - close - 1).contains('<'))
            return -1;
        return end;
    }
    if (c == '/') {
        if (lt + 2 >= page.size())
            return -1;
        return page[lt + 2] == '>' ? lt + 3 : pastNextGreaterThan(page, lt + 2);
    }
    if (c == '!') {
        if (rest.startsWith("<!--"))
            return commentEnd(page, lt);
        if (rest.startsWith("<![CDATA["))
            return -1;
        return pastNextGreaterThan(page, lt + 2); // a doctype, or a bogus comment
    }
    if (c == '?')
        return pastNextGreaterThan(page, lt + 2);
    return lt + 1;
}

} // namespace

ThinnedMarkup::ThinnedMarkup(const QByteArray& html) : m_page(html), m_bytes(html)
{
    const QByteArrayView page(html);
    // Written in place: the thinned page is never longer than the page, and a cut run is
    // one of a hundred thousand on a large page, too many for an append each.
    QByteArray out;
    char* written = nullptr;
    qsizetype copied = 0; // bytes of the page that out holds or stands for
    auto keepUpTo = [&](qsizetype until) {
        if (!written) {
            out.resize(html.size());
            written = out.data();
        }
        written = std::copy(page.data() + copied, page.data() + until, written);
    };

    auto thin = [&](qsizetype begin, qsizetype end) {
        if (end - begin < kShortestRun)
            return;
        const QByteArrayView run = page.sliced(begin, end - begin);
        if (std::any_of(run.begin(), run.end(), [](char c) { return kKeepsRunWhole[static_cast<unsigned char>(c)]; }))
            return;
        // The first character whole: one byte, or the bytes of one in UTF-8. A CR that
        // stands for a newline with the LF after it does so alone as well.
        const auto lead = static_cast<unsigned char>(run[0]);
        const qsizetype firstLength = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const qsizetype rest = begin + firstLength;
        if (end - rest < 2)
            return;
        qsizetype letter = rest;
        while (letter < end && isSpace(page[letter]))
            ++letter;
        keepUpTo(rest);
        // The standing character is where the first letter of the rest was, which is where
        // an element that the letter closes or opens stands.
        const bool letters = letter < end;
        m_anchors.push_back({written - out.constData(), letters ? letter : rest});
        *written++ = letters ? 'x' : ' ';
        m_anchors.push_back({written - out.constData(), end});
        copied = end;
    };

    // A value keeps its first character, so that the attribute keeps one; the parser makes
    // nothing of it, and the snapshot reads the value from the page.
    auto cutValue = [&](const AttributeSpan& value) {
        // A NUL in a name may leave the parser a name it reads the value of: "\0type" is "type".
        const QByteArrayView name = value.nameIn(page);
        if (value.end - value.begin < kShortestRun || parserReadsValue(name) || name.contains('\0'))
            return;
        if (!parserKeepsValue(value.valueIn(page)))
            return;
        keepUpTo(value.begin + 1);
        m_cutValues.push_back({written - out.constData() - 1, value.begin, value.end});
        m_anchors.push_back({written - out.constData(), value.end});
        copied = value.end;
    };

    // A tag whose attributes all go is given to the parser as its name and what closes it,
    // "<img />" for <img src="a.png" alt="A" />: it makes nothing of them.
    std::vector<AttributeSpan> attributes;
    auto giveBare = [&](qsizetype lt, const StartTag& tag) {
        if (!tag.attributesMayGo || attributes.empty() || attributes.size() > kMostAttributesThatGo)
            return false;
        const AttributeSpan& last = attributes.back();
        const qsizetype tail = last.value == AttributeSpan::Value::Quoted ? last.end + 1 : last.end;
        if (tail - tag.nameEnd < kShortestRun)
            return false;
        // Spaces and slashes end the tag alike after its name and after its last attribute.
        if (!std::all_of(page.data() + tail, page.data() + tag.close, [](char c) { return isSpace(c) || c == '/'; }))
            return false;
        for (auto attribute = attributes.cbegin(); attribute != attributes.cend(); ++attribute) {
            const QByteArrayView name = attribute->nameIn(page);
            const QByteArrayView value = attribute->valueIn(page);
            const bool plainValue = attribute->value == AttributeSpan::Value::Unquoted
                                        ? allIn(kUnquotedValueByteGoes, value)
                                        : parserKeepsValue(value);
            // The parser keeps the first of a repeated name; the page's attributes are read whole.
            const bool repeated = std::any_of(attributes.cbegin(), attribute, [&](const AttributeSpan& before) {
                return before.nameIn(page) == name;
            });
            if (name.isEmpty() || !allIn(kNameByteGoes, name) || !plainValue || repeated)
                return false;
        }
        keepUpTo(tag.nameEnd);
        const qsizetype nameEnd = written - out.constData();
        m_bareTags.push_back({nameEnd - (tag.nameEnd - lt), m_attributes.size(), attributes.size()});
        m_attributes.insert(m_attributes.end(), attributes.cbegin(), attributes.cend());
        m_anchors.push_back({nameEnd, tail});
        copied = tail;
        return true;
    };

    ForeignDepth foreign;
    for (qsizetype at = 0; at < page.size();) {
        const qsizetype lt = page.indexOf('<', at);
        thin(at, lt < 0 ? page.size() : lt);
        if (lt < 0)
            break;
        attributes.clear();
        StartTag startTag;
        at = pastMarkup(page, lt, foreign, attributes, startTag);
        if (at < 0)
            break;
        if (giveBare(lt, startTag))
            continue;
        for (const AttributeSpan& attribute : attributes) {
            if (attribute.value == AttributeSpan::Value::Quoted)
                cutValue(attribute);
        }
    }
    if (m_anchors.empty())
        return;
    written = std::copy(page.data() + copied, page.data() + page.size(), written);
    out.truncate(written - out.constData());
    m_bytes = out;
}

qsizetype ThinnedMarkup::originalOffset(qsizetype offset) const
{
    const std::optional<size_t> at = lastAtOrBefore(m_anchors, offset, m_lastAnchor);
    if (!at)
        return offset;
    const Anchor& anchor = m_anchors[*at];
    return anchor.original + (offset - anchor.thinned);
}

std::optional<QByteArrayView> ThinnedMarkup::cutValue(QByteArrayView quoted) const
{
    if (m_cutValues.empty() || quoted.size() < 2 || quoted.data() < m_bytes.constData())
        return std::nullopt;
    const qsizetype first = quoted.data() + 1 - m_bytes.constData();
    const std::optional<size_t> at = lastAtOrBefore(m_cutValues, first, m_lastCutValue);
    if (!at || m_cutValues[*at].thinned != first)
        return std::nullopt;
    const CutValue& cut = m_cutValues[*at];
    return QByteArrayView(m_page).sliced(cut.begin, cut.end - cut.begin);
}

std::optional<ThinnedMarkup::BareAttributes> ThinnedMarkup::bareTagAttributes(qsizetype tagStart) const
{
    const std::optional<size_t> at = lastAtOrBefore(m_bareTags, tagStart, m_lastBareTag);
    if (!at || m_bareTags[*at].thinned != tagStart)
        return std::nullopt;
    return BareAttributes(*this, m_bareTags[*at].first, m_bareTags[*at].count);
}

ThinnedMarkup::PageAttribute ThinnedMarkup::BareAttributes::operator[](size_t i) const
{
    const AttributeSpan& attribute = m_markup->m_attributes[m_first + i];
    return {attribute.nameIn(m_markup->m_page), attribute.valueIn(m_markup->m_page)};
}
