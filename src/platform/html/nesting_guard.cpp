#include "platform/html/nesting_guard.h"

#include "platform/html/markup_scan.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

using namespace MarkupScan;

namespace {

// What the guard needs to know of a tag name, found once per tag.
enum TagKind : quint16 {
    Void = 1 << 0,           // never holds others
    ClosesItsKind = 1 << 1,  // the next one of its kind closes it, so they do not pile up
    Formatting = 1 << 2,     // its end tag, with others inside, leaves those open and reopens
                             // a copy of it inside them
    Marker = 1 << 3,         // the parser reopens no formatting element from before it
    TableCell = 1 << 4,
    StartClosesCell = 1 << 5, // its start tag ends the table cell open before it
    EndClosesCell = 1 << 6,   // its end tag does
    Foreign = 1 << 7,         // its children follow the rules of SVG and MathML, where "/>"
                              // closes any element
    Table = 1 << 9,
    PlainText = 1 << 10,      // the rest of the page is text
};

struct KnownTag {
    std::string_view name;
    quint16 kinds;
};

constexpr quint16 kCellCloser = StartClosesCell | EndClosesCell;
constexpr KnownTag kKnownTags[] = {
    {"a", ClosesItsKind}, {"applet", Marker}, {"area", Void}, {"base", Void},
    {"basefont", Void}, {"bgsound", Void}, {"body", ClosesItsKind}, {"br", Void},
    {"caption", ClosesItsKind | Marker}, {"col", Void}, {"colgroup", ClosesItsKind},
    {"dd", ClosesItsKind}, {"dt", ClosesItsKind}, {"embed", Void},
    {"frame", Void}, {"head", ClosesItsKind}, {"hr", Void}, {"html", ClosesItsKind},
    {"image", Void}, {"img", Void}, {"input", Void}, {"keygen", Void},
    {"li", ClosesItsKind}, {"link", Void}, {"marquee", Marker}, {"math", Foreign}, {"meta", Void},
    {"object", Marker}, {"optgroup", ClosesItsKind}, {"option", ClosesItsKind}, {"p", ClosesItsKind}, {"param", Void},
    {"rb", ClosesItsKind}, {"rp", ClosesItsKind}, {"rt", ClosesItsKind}, {"rtc", ClosesItsKind},
    {"source", Void}, {"svg", Foreign}, {"table", Table | EndClosesCell}, {"tbody", ClosesItsKind | kCellCloser},
    {"td", ClosesItsKind | Marker | TableCell | kCellCloser}, {"template", Marker},
    {"tfoot", ClosesItsKind | kCellCloser},
    {"th", ClosesItsKind | Marker | TableCell | kCellCloser}, {"thead", ClosesItsKind | kCellCloser},
    {"tr", ClosesItsKind | kCellCloser}, {"track", Void}, {"wbr", Void},
};

// A name of up to eight bytes as one number, its first byte highest.
constexpr quint64 packed(std::string_view name)
{
    quint64 key = 0;
    for (const char c : name)
        key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

struct PackedTag {
    quint64 key;
    qsizetype size; // two names of different length can pack alike only with NUL bytes
    quint16 kinds;
    constexpr bool operator<(const PackedTag& other) const { return key < other.key; }
};

static_assert(std::all_of(std::begin(kKnownTags), std::end(kKnownTags), [](const KnownTag& tag) { return tag.name.size() <= 8; }));
constexpr std::string_view kPlainText = "plaintext"; // the one known name longer than that

// The known names, packed and sorted, so that finding one compares numbers.
constexpr auto kPackedTags = [] {
    std::array<PackedTag, std::size(kKnownTags)> all{};
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = {packed(kKnownTags[i].name), qsizetype(kKnownTags[i].name.size()), kKnownTags[i].kinds};
    std::sort(all.begin(), all.end());
    return all;
}();

// The kinds of a tag name in any letter case; none for names the guard does not know.
quint16 kindsOf(QByteArrayView name)
{
    if (isFormatting(name))
        return Formatting;
    if (name.size() == qsizetype(kPlainText.size()))
        return sameName(name, QByteArrayView(kPlainText.data(), kPlainText.size())) ? PlainText : 0;
    if (name.isEmpty() || name.size() > 8)
        return 0;
    char lowered[8];
    std::transform(name.begin(), name.end(), lowered, lower);
    const quint64 key = packed(std::string_view(lowered, size_t(name.size())));
    const auto found = std::lower_bound(kPackedTags.begin(), kPackedTags.end(), PackedTag{key, 0, 0});
    return found != kPackedTags.end() && found->key == key && found->size == name.size() ? found->kinds : 0;
}

// A tag of the page: its name as written, a view into the page, and what it is.
struct Tag {
    QByteArrayView name;
    quint16 kinds = 0;
    bool is(TagKind kind) const { return kinds & kind; }
};

// The formatting elements the parser would reopen, with the markers that fence them off.
class ActiveFormatting {
public:
    int size() const { return m_formatting; }
    void push(const Tag& tag)
    {
        m_entries.push_back({tag, false});
        ++m_formatting;
    }
    void pushMarker(const Tag& tag) { m_entries.push_back({tag, true}); }
    // A formatting end tag removes the last of its kind after the last marker.
    void close(QByteArrayView name)
    {
        for (auto it = m_entries.rbegin(); it != m_entries.rend() && !it->marker; ++it) {
            if (sameName(it->tag.name, name)) {
                m_entries.erase(std::next(it).base());
                --m_formatting;
                return;
            }
        }
    }
    // The last marker; an empty tag if there is none.
    Tag lastMarker() const
    {
        const auto found = std::find_if(m_entries.rbegin(), m_entries.rend(), [](const Entry& e) { return e.marker; });
        return found == m_entries.rend() ? Tag{} : found->tag;
    }
    // Everything up to and with the last marker goes, as when the marker's element ends.
    void clearToMarker()
    {
        while (!m_entries.empty()) {
            const Entry last = m_entries.back();
            m_entries.pop_back();
            if (last.marker)
                return;
            --m_formatting;
        }
    }

private:
    struct Entry {
        Tag tag;
        bool marker = false;
    };
    std::vector<Entry> m_entries;
    int m_formatting = 0;
};

} // namespace

qsizetype limitNesting(QByteArray& html, int maxDepth, int maxFormatting, qint64 maxWork, int maxAttributes,
                  qint64 maxPageAttributes)
{
    // Tags are views into html, which stays as it is until the end.
    const QByteArrayView text(html);
    std::vector<Tag> open; // the elements counted as open, innermost last
    // Written at the end: single "<" and ranges of attributes.
    QList<qsizetype> blanked;
    QList<std::pair<qsizetype, qsizetype>> blankedRanges;
    QList<std::pair<qsizetype, qsizetype>> cdataSections; // from "<![CDATA[" to "]]>"
    ActiveFormatting formatting;
    int foreignDepth = 0; // open svg and math elements
    int tableDepth = 0;
    qint64 work = 0;
    qint64 attributes = 0;
    qsizetype cutAt = -1;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype lt = text.indexOf('<', at);
        if (lt < 0 || lt + 1 >= text.size())
            break;
        const char next = text[lt + 1];
        if (next == '!' && text.sliced(lt).startsWith("<![CDATA[")) {
            // The parser aborts the process on text from CDATA in SVG or MathML inside a
            // table; a comment holds no elements either. Without a ">" inside it ends where
            // HTML's own bogus comment would; in SVG and MathML its ">" are no element's.
            const qsizetype close = text.indexOf("]]>", lt + 9);
            if (close >= 0 && (foreignDepth > 0 || !text.sliced(lt + 9, close - lt - 9).contains('>'))) {
                cdataSections.append({lt, close});
                at = close + 3;
                continue;
            }
        }
        if (next == '!' && text.sliced(lt).startsWith("<!--")) {
            at = commentEnd(text, lt);
            if (at < 0)
                break;
            continue;
        }
        const bool endTag = next == '/' && lt + 2 < text.size() && isLetter(text[lt + 2]);
        if (!endTag && !isLetter(next)) {
            // "<!DOCTYPE", "<?", a stray "</" or a lone "<".
            at = lt + 1;
            if (next == '!' || next == '?' || next == '/') {
                const qsizetype end = text.indexOf('>', lt + 1);
                if (end < 0)
                    break;
                at = end + 1;
            }
            continue;
        }
        const qsizetype nameBegin = lt + (endTag ? 2 : 1);
        const qsizetype nameEnd = tagNameEnd(text, nameBegin);
        const QByteArrayView name = text.sliced(nameBegin, nameEnd - nameBegin);
        const Tag tag{name, kindsOf(name)};
        const TagEnd tagEnd = endOfTag(text, nameEnd, maxAttributes);
        const qsizetype end = tagEnd.end;
        if (end < 0)
            break;
        at = end + 1;

        // Any tag may end a block and have the parser reopen every formatting element.
        work += 1 + formatting.size();
        attributes += tagEnd.attributes;
        if (work > maxWork || attributes > maxPageAttributes) {
            cutAt = lt;
            break;
        }
        if (tagEnd.overflowFrom >= 0) {
            // A closing "/" stays: it may close an element inside SVG.
            const qsizetype blankEnd = text[end - 1] == '/' ? end - 1 : end;
            blankedRanges.append({tagEnd.overflowFrom, blankEnd});
        }
        const bool cellClosed = tag.is(endTag ? EndClosesCell : StartClosesCell) && formatting.lastMarker().is(TableCell);
        if (cellClosed)
            formatting.clearToMarker();

        if (endTag) {
            // Closes the innermost open element of that name and everything inside it; a
            // formatting element's end tag closes it alone.
            const auto found = std::find_if(open.rbegin(), open.rend(), [&](const Tag& each) { return sameName(each.name, name); });
            if (found != open.rend()) {
                const auto inner = std::prev(found.base());
                if (tag.is(Formatting)) {
                    open.erase(inner);
                } else {
                    foreignDepth -= int(std::count_if(inner, open.end(), [](const Tag& each) { return each.is(Foreign); }));
                    open.erase(inner, open.end());
                }
            }
            if (tag.is(Formatting))
                formatting.close(name);
            else if (!cellClosed && tag.is(Marker) && sameName(formatting.lastMarker().name, name))
                formatting.clearToMarker();
            if (tag.is(Table))
                tableDepth = std::max(0, tableDepth - 1);
            continue;
        }
        if (foreignDepth == 0 && isRawText(name)) {
            const qsizetype close = rawTextEnd(text, at, name);
            if (close < 0)
                break;
            at = close;
            continue;
        }
        if (tag.is(PlainText))
            break; // the rest of the page is text
        // HTML ignores "/>" except on void elements and inside SVG and MathML.
        const bool selfClosing = text[end - 1] == '/' && foreignDepth > 0;
        if (tag.is(Table))
            ++tableDepth;
        // A cell outside a table is no cell to the parser, and fences nothing off.
        if (tag.is(Marker) && (tableDepth > 0 || !tag.is(TableCell)))
            formatting.pushMarker(tag);
        if (tag.is(Void) || tag.is(ClosesItsKind) || selfClosing)
            continue;
        if (qsizetype(open.size()) >= maxDepth || (tag.is(Formatting) && formatting.size() >= maxFormatting)) {
            blanked.append(lt);
            continue;
        }
        if (tag.is(Formatting))
            formatting.push(tag);
        foreignDepth += tag.is(Foreign) ? 1 : 0;
        open.push_back(tag);
    }
    for (const qsizetype position : std::as_const(blanked))
        html[position] = ' ';
    for (const auto& [from, to] : std::as_const(blankedRanges))
        std::fill(html.begin() + from, html.begin() + std::max(from, to), ' ');
    for (const auto& [from, close] : std::as_const(cdataSections)) {
        html[from + 2] = html[from + 3] = '-'; // "<!--DATA[" ... "-->"
        std::replace(html.begin() + from + 9, html.begin() + close, '>', ' ');
        html[close] = html[close + 1] = '-';
    }
    if (cutAt >= 0)
        html.truncate(cutAt);
    return cutAt;
}
