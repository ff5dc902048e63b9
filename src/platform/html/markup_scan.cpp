#include "platform/html/markup_scan.h"

#include <algorithm>
#include <array>

namespace MarkupScan {

namespace {

// True when `name` stands at `at` in any case, followed by what ends a tag name.
bool tagNameAt(QByteArrayView text, qsizetype at, QByteArrayView name)
{
    return at + name.size() < text.size() && sameName(text.sliced(at, name.size()), name)
           && tagNameEnd(text, at + name.size()) == at + name.size();
}

qsizetype scriptEnd(QByteArrayView text, qsizetype from)
{
    enum Mode { Data, Escaped, DoubleEscaped };
    Mode mode = Data;
    int dashes = 0; // in a row, in the escaped modes: "-->" goes back to Data
    for (qsizetype i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            dashes = 0;
            const bool slash = i + 1 < text.size() && text[i + 1] == '/';
            if (slash && tagNameAt(text, i + 2, "script")) {
                if (mode != DoubleEscaped)
                    return i;
                mode = Escaped;
                i += 8; // the name and what ended it
            } else if (mode == Escaped && tagNameAt(text, i + 1, "script")) {
                mode = DoubleEscaped;
                i += 7;
            } else if (mode == Data && text.sliced(i).startsWith("<!--")) {
                mode = Escaped;
                dashes = 2;
                i += 3;
            }
            continue;
        }
        if (mode != Data && c == '-') {
            ++dashes;
            continue;
        }
        if (mode != Data && c == '>' && dashes >= 2)
            mode = Data;
        dashes = 0;
    }
    return -1;
}

} // namespace

bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool isRawText(QByteArrayView name)
{
    static constexpr std::array<QByteArrayView, 8> kRawText = {"script",  "style",    "xmp",   "iframe",
                                                               "noembed", "noframes", "title", "textarea"};
    if (name.size() < 3 || name.size() > 8) // most tags: p, a, li, div, span, img
        return false;
    return std::any_of(kRawText.begin(), kRawText.end(), [&](QByteArrayView each) { return sameName(name, each); });
}

bool isFormatting(QByteArrayView name)
{
    switch (name.size()) {
    case 1: {
        const char c = lower(name[0]);
        return c == 'b' || c == 'i' || c == 's' || c == 'u';
    }
    case 2:
        return sameName(name, "em") || sameName(name, "tt");
    case 3:
        return sameName(name, "big");
    case 4:
        return sameName(name, "code") || sameName(name, "font") || sameName(name, "nobr");
    case 5:
        return sameName(name, "small");
    case 6:
        return sameName(name, "strike") || sameName(name, "strong");
    default:
        return false;
    }
}

qsizetype tagNameEnd(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && !isSpace(text[at]) && text[at] != '>' && text[at] != '/')
        ++at;
    return at;
}

TagEnd endOfTag(QByteArrayView text, qsizetype at, int maxAttributes, std::vector<AttributeSpan>* attributes)
{
    enum class State { BeforeName, InName, AfterName, BeforeValue, InUnquotedValue };
    State state = State::BeforeName;
    TagEnd found;
    AttributeSpan attribute;
    auto startAttribute = [&](qsizetype i) {
        if (found.attributes < maxAttributes)
            ++found.attributes;
        else if (found.overflowFrom < 0)
            found.overflowFrom = i;
        state = State::InName;
        attribute.nameBegin = i;
    };
    auto add = [&](AttributeSpan::Value value, qsizetype begin, qsizetype end) {
        if (!attributes)
            return;
        attribute.value = value;
        attribute.begin = begin;
        attribute.end = end;
        attributes->push_back(attribute);
    };
    auto addWithoutValue = [&] { add(AttributeSpan::Value::None, attribute.nameEnd, attribute.nameEnd); };
    for (qsizetype i = at; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>') {
            if (state == State::InName)
                attribute.nameEnd = i;
            if (state == State::InUnquotedValue)
                add(AttributeSpan::Value::Unquoted, attribute.begin, i);
            else if (state != State::BeforeName)
                addWithoutValue();
            found.end = i;
            return found;
        }
        switch (state) {
        case State::BeforeName:
            if (!isSpace(c) && c != '/')
                startAttribute(i);
            break;
        case State::InName:
            if (isSpace(c) || c == '/' || c == '=')
                attribute.nameEnd = i;
            if (isSpace(c)) {
                state = State::AfterName;
            } else if (c == '/') {
                addWithoutValue();
                state = State::BeforeName;
            } else if (c == '=') {
                state = State::BeforeValue;
            }
            break;
        case State::AfterName:
            if (c == '/') {
                addWithoutValue();
                state = State::BeforeName;
            } else if (c == '=') {
                state = State::BeforeValue;
            } else if (!isSpace(c)) {
                addWithoutValue();
                startAttribute(i);
            }
            break;
        case State::BeforeValue:
            if (c == '"' || c == '\'') {
                const qsizetype close = text.indexOf(c, i + 1);
                if (close < 0)
                    return found;
                add(AttributeSpan::Value::Quoted, i + 1, close);
                i = close;
                state = State::BeforeName;
            } else if (!isSpace(c)) {
                attribute.begin = i;
                state = State::InUnquotedValue;
            }
            break;
        case State::InUnquotedValue:
            if (isSpace(c)) {
                add(AttributeSpan::Value::Unquoted, attribute.begin, i);
                state = State::BeforeName;
            }
            break;
        }
    }
    return found;
}

qsizetype commentEnd(QByteArrayView text, qsizetype at)
{
    const QByteArrayView rest = text.sliced(at + 4);
    if (rest.startsWith('>'))
        return at + 5;
    if (rest.startsWith("->"))
        return at + 6;
    // One look for "--" at a time: looking for each ending to the end of the page would read
    // the rest of the page again for every comment that ends the other way.
    for (qsizetype dashes = text.indexOf("--", at + 4); dashes >= 0; dashes = text.indexOf("--", dashes + 1)) {
        const QByteArrayView after = text.sliced(dashes + 2);
        if (after.startsWith('>'))
            return dashes + 3;
        if (after.startsWith("!>"))
            return dashes + 4;
    }
    return -1;
}

qsizetype rawTextEnd(QByteArrayView text, qsizetype from, QByteArrayView name)
{
    if (sameName(name, "script"))
        return scriptEnd(text, from);
    for (qsizetype at = text.indexOf("</", from); at >= 0; at = text.indexOf("</", at + 2)) {
        if (tagNameAt(text, at + 2, name))
            return at;
    }
    return -1;
}

} // namespace MarkupScan
