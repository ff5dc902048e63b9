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

bool oneOf(QByteArrayView name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
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

// The position of the ">" that ends the tag starting at `at`, quotes respected; -1 if none.
qsizetype tagEnd(QByteArrayView text, qsizetype at)
{
    bool afterEquals = false;
    for (qsizetype i = at; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '>')
            return i;
        if ((c == '"' || c == '\'') && afterEquals) {
            const qsizetype close = text.indexOf(c, i + 1);
            if (close < 0)
                return -1;
            i = close;
            afterEquals = false;
            continue;
        }
        if (c == '=')
            afterEquals = true;
        else if (!isSpace(c))
            afterEquals = false;
    }
    return -1;
}

} // namespace

void limitNesting(QByteArray& html, int maxDepth)
{
    const QByteArrayView text(html);
    QList<QByteArray> open; // names of the elements counted as open, innermost last
    QList<qsizetype> blanked; // written at the end, while no view into html is in use
    QByteArray name;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype lt = text.indexOf('<', at);
        if (lt < 0 || lt + 1 >= text.size())
            break;
        const char next = text[lt + 1];
        if (text.sliced(lt).startsWith("<!--")) {
            const qsizetype end = text.indexOf("-->", lt + 4);
            if (end < 0)
                break;
            at = end + 3;
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
        const qsizetype end = tagEnd(text, nameEnd);
        if (end < 0)
            break;
        at = end + 1;

        if (endTag) {
            // Closes the innermost open element of that name and everything inside it; a
            // formatting element's end tag closes it alone.
            for (qsizetype i = open.size() - 1; i >= 0; --i) {
                if (open.at(i) != name)
                    continue;
                if (isFormatting(name))
                    open.remove(i);
                else
                    open.resize(i);
                break;
            }
            continue;
        }
        if (holdsRawText(name)) {
            const qsizetype close = findNoCase(text, "</" + name, at);
            if (close < 0)
                break;
            at = close;
            continue;
        }
        if (name == "plaintext")
            break; // the rest of the page is text
        const bool selfClosing = text[end - 1] == '/';
        if (isVoid(name) || closesItsKind(name) || selfClosing)
            continue;
        if (open.size() >= maxDepth) {
            blanked.append(lt);
            continue;
        }
        open.append(name);
    }
    for (const qsizetype position : std::as_const(blanked))
        html[position] = ' ';
}
