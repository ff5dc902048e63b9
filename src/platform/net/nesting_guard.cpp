#include "platform/net/nesting_guard.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Views of the literals carry their lengths: no strlen for every tag of the page.
bool oneOf(QByteArrayView name, std::initializer_list<QByteArrayView> names)
{
    return std::any_of(names.begin(), names.end(), [&](QByteArrayView n) { return name == n; });
}

// Elements that never hold others.
bool isVoid(QByteArrayView name)
{
    return oneOf(name, {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr",
                        "image", "img", "input", "keygen", "link", "meta", "param", "source",
                        "track", "wbr"});
}

// Elements that the next one of their kind closes, so they do not pile up.
bool closesItsKind(QByteArrayView name)
{
    return oneOf(name, {"a", "p", "li", "dd", "dt", "option", "optgroup", "tr", "td", "th", "tbody",
                        "thead", "tfoot", "colgroup", "caption", "rb", "rp", "rt", "rtc", "html",
                        "head", "body"});
}

// Elements whose end tag, when others stand inside them, leaves those open and reopens a
// copy of the element inside them.
bool isFormatting(QByteArrayView name)
{
    return oneOf(name, {"b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike",
                        "strong", "tt", "u"});
}

// Elements after which the parser reopens no formatting element from before them.
bool isMarker(QByteArrayView name)
{
    return oneOf(name, {"td", "th", "caption", "applet", "object", "marquee", "template"});
}

bool isTableCell(QByteArrayView name)
{
    return name == "td" || name == "th";
}

// Tags that end the table cell open before them.
bool closesCell(QByteArrayView name, bool endTag)
{
    if (endTag)
        return oneOf(name, {"td", "th", "tr", "tbody", "thead", "tfoot", "table"});
    return oneOf(name, {"td", "th", "tr", "tbody", "thead", "tfoot"});
}

// Elements whose children follow the rules of SVG and MathML, where "/>" closes any element.
bool isForeign(QByteArrayView name)
{
    return name == "svg" || name == "math";
}

// Where a comment starting at `at` ("<!--") ends: after "-->" or "--!>", or at once for the
// empty comments "<!-->" and "<!--->". -1 when it runs to the end of the page.
qsizetype commentEnd(QByteArrayView text, qsizetype at)
{
    const QByteArrayView rest = text.sliced(at + 4);
    if (rest.startsWith(">"))
        return at + 5;
    if (rest.startsWith("->"))
        return at + 6;
    const qsizetype close = text.indexOf("-->", at + 4);
    const qsizetype bangClose = text.indexOf("--!>", at + 4);
    if (close < 0 && bangClose < 0)
        return -1;
    if (bangClose < 0 || (close >= 0 && close < bangClose))
        return close + 3;
    return bangClose + 4;
}

// The formatting elements the parser would reopen, with the markers that fence them off.
class ActiveFormatting {
public:
    int size() const { return m_formatting; }
    void push(const QByteArray& name)
    {
        m_entries.append({name, false});
        ++m_formatting;
    }
    void pushMarker(const QByteArray& name) { m_entries.append({name, true}); }
    // A formatting end tag removes the last of its kind after the last marker.
    void close(const QByteArray& name)
    {
        for (qsizetype i = m_entries.size() - 1; i >= 0 && !m_entries.at(i).marker; --i) {
            if (m_entries.at(i).name == name) {
                m_entries.remove(i);
                --m_formatting;
                return;
            }
        }
    }
    QByteArray lastMarker() const
    {
        for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
            if (m_entries.at(i).marker)
                return m_entries.at(i).name;
        }
        return {};
    }
    // Everything up to and with the last marker goes, as when the marker's element ends.
    void clearToMarker()
    {
        while (!m_entries.isEmpty()) {
            const Entry last = m_entries.takeLast();
            if (last.marker)
                return;
            --m_formatting;
        }
    }

private:
    struct Entry {
        QByteArray name;
        bool marker = false;
    };
    QList<Entry> m_entries;
    int m_formatting = 0;
};

// Elements whose content is text up to their own end tag.
bool holdsRawText(QByteArrayView name)
{
    return oneOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                        "noframes"});
}

qsizetype findNoCase(QByteArrayView text, QByteArrayView word, qsizetype from)
{
    for (qsizetype at = from; at + word.size() <= text.size(); ++at) {
        qsizetype i = 0;
        while (i < word.size() && lower(text[at + i]) == word[i])
            ++i;
        if (i == word.size())
            return at;
    }
    return -1;
}

// Where a tag's attributes end, read as the HTML tokenizer reads them.
struct TagEnd {
    qsizetype end = -1;           // the ">" that ends the tag; -1 if none
    qsizetype overflowFrom = -1;  // where the attribute past the cap begins; -1 if none
    int attributes = 0;           // those within the cap
};

// The end of the tag whose attributes start at `at`, quotes respected.
TagEnd tagEnd(QByteArrayView text, qsizetype at, int maxAttributes)
{
    enum class State { BeforeName, InName, AfterName, BeforeValue, InUnquotedValue };
    State state = State::BeforeName;
    TagEnd found;
    auto startAttribute = [&](qsizetype i) {
        if (found.attributes < maxAttributes)
            ++found.attributes;
        else if (found.overflowFrom < 0)
            found.overflowFrom = i;
        state = State::InName;
    };
    for (qsizetype i = at; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>') {
            found.end = i;
            return found;
        }
        switch (state) {
        case State::BeforeName:
            if (!isSpace(c) && c != '/')
                startAttribute(i);
            break;
        case State::InName:
            if (isSpace(c))
                state = State::AfterName;
            else if (c == '/')
                state = State::BeforeName;
            else if (c == '=')
                state = State::BeforeValue;
            break;
        case State::AfterName:
            if (c == '/')
                state = State::BeforeName;
            else if (c == '=')
                state = State::BeforeValue;
            else if (!isSpace(c))
                startAttribute(i);
            break;
        case State::BeforeValue:
            if (c == '"' || c == '\'') {
                const qsizetype close = text.indexOf(c, i + 1);
                if (close < 0)
                    return found;
                i = close;
                state = State::BeforeName;
            } else if (!isSpace(c)) {
                state = State::InUnquotedValue;
            }
            break;
        case State::InUnquotedValue:
            if (isSpace(c))
                state = State::BeforeName;
            break;
        }
    }
    return found;
}

} // namespace

void limitNesting(QByteArray& html, int maxDepth, int maxFormatting, qint64 maxWork, int maxAttributes,
                  qint64 maxPageAttributes)
{
    const QByteArrayView text(html);
    QList<QByteArray> open; // names of the elements counted as open, innermost last
    // Written at the end, while no view into html is in use: single "<" and ranges of
    // attributes.
    QList<qsizetype> blanked;
    QList<std::pair<qsizetype, qsizetype>> blankedRanges;
    ActiveFormatting formatting;
    int foreignDepth = 0; // open svg and math elements
    int tableDepth = 0;
    qint64 work = 0;
    qint64 attributes = 0;
    qsizetype cutAt = -1;
    QByteArray name;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype lt = text.indexOf('<', at);
        if (lt < 0 || lt + 1 >= text.size())
            break;
        const char next = text[lt + 1];
        if (text.sliced(lt).startsWith("<!--")) {
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
        qsizetype nameEnd = lt + (endTag ? 2 : 1);
        name.resize(0); // keeps its buffer for the next tag
        while (nameEnd < text.size() && !isSpace(text[nameEnd]) && text[nameEnd] != '>'
               && text[nameEnd] != '/') {
            name += lower(text[nameEnd]);
            ++nameEnd;
        }
        const TagEnd tag = tagEnd(text, nameEnd, maxAttributes);
        const qsizetype end = tag.end;
        if (end < 0)
            break;
        at = end + 1;

        // Any tag may end a block and have the parser reopen every formatting element.
        work += 1 + formatting.size();
        attributes += tag.attributes;
        if (work > maxWork || attributes > maxPageAttributes) {
            cutAt = lt;
            break;
        }
        if (tag.overflowFrom >= 0) {
            // A closing "/" stays: it may close an element inside SVG.
            const qsizetype blankEnd = text[end - 1] == '/' ? end - 1 : end;
            blankedRanges.append({tag.overflowFrom, blankEnd});
        }
        const bool cellClosed = closesCell(name, endTag) && isTableCell(formatting.lastMarker());
        if (cellClosed)
            formatting.clearToMarker();

        if (endTag) {
            // Closes the innermost open element of that name and everything inside it; a
            // formatting element's end tag closes it alone.
            for (qsizetype i = open.size() - 1; i >= 0; --i) {
                if (open.at(i) != name)
                    continue;
                if (isFormatting(name)) {
                    open.remove(i);
                } else {
                    for (qsizetype j = i; j < open.size(); ++j)
                        foreignDepth -= isForeign(open.at(j)) ? 1 : 0;
                    open.resize(i);
                }
                break;
            }
            if (isFormatting(name))
                formatting.close(name);
            else if (!cellClosed && isMarker(name) && formatting.lastMarker() == name)
                formatting.clearToMarker();
            if (name == "table")
                tableDepth = std::max(0, tableDepth - 1);
            continue;
        }
        if (holdsRawText(name) && foreignDepth == 0) {
            const qsizetype close = findNoCase(text, "</" + name, at);
            if (close < 0)
                break;
            at = close;
            continue;
        }
        if (name == "plaintext")
            break; // the rest of the page is text
        // HTML ignores "/>" except on void elements and inside SVG and MathML.
        const bool selfClosing = text[end - 1] == '/' && foreignDepth > 0;
        if (name == "table")
            ++tableDepth;
        // A cell outside a table is no cell to the parser, and fences nothing off.
        if (isMarker(name) && (tableDepth > 0 || !isTableCell(name)))
            formatting.pushMarker(name);
        if (isVoid(name) || closesItsKind(name) || selfClosing)
            continue;
        if (open.size() >= maxDepth || (isFormatting(name) && formatting.size() >= maxFormatting)) {
            blanked.append(lt);
            continue;
        }
        if (isFormatting(name))
            formatting.push(name);
        foreignDepth += isForeign(name) ? 1 : 0;
        open.append(name);
    }
    for (const qsizetype position : std::as_const(blanked))
        html[position] = ' ';
    for (const auto& [from, to] : std::as_const(blankedRanges))
        std::fill(html.begin() + from, html.begin() + std::max(from, to), ' ');
    if (cutAt >= 0)
        html.truncate(cutAt);
}
