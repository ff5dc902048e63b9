#include "platform/html/light_pass.h"

#include "platform/html/base_address.h"
#include "platform/html/nesting_guard.h"

#include <QList>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Elements whose content the tokenizer reads as text up to their own end tag.
constexpr std::array<QStringView, 8> kRawText{u"script", u"style", u"textarea", u"title",
                                              u"xmp",    u"iframe", u"noembed", u"noframes"};

bool isRawText(QStringView name)
{
    return std::any_of(kRawText.begin(), kRawText.end(),
                       [name](QStringView raw) { return name.compare(raw, Qt::CaseInsensitive) == 0; });
}

// Where a comment starting at `at` ("<!--") ends: after "-->" or "--!>", or at once for
// "<!-->" and "<!--->". -1 when it runs to the end of the markup.
qsizetype commentEnd(QStringView markup, qsizetype at)
{
    const QStringView rest = markup.sliced(at + 4);
    if (rest.startsWith(u">"))
        return at + 5;
    if (rest.startsWith(u"->"))
        return at + 6;
    // One look for "--" at a time, so a page of many comments is read in one pass.
    for (qsizetype dashes = markup.indexOf(u"--", at + 4); dashes >= 0; dashes = markup.indexOf(u"--", dashes + 1)) {
        const QStringView after = markup.sliced(dashes + 2);
        if (after.startsWith(u'>'))
            return dashes + 3;
        if (after.startsWith(u"!>"))
            return dashes + 4;
    }
    return -1;
}

// The named references that addresses hold, and numeric ones; others stay as written.
QString decoded(QStringView value)
{
    if (!value.contains(u'&'))
        return value.toString();
    static constexpr std::array<std::pair<QStringView, char32_t>, 6> kNamed{
        {{u"amp", U'&'}, {u"lt", U'<'}, {u"gt", U'>'}, {u"quot", U'"'}, {u"apos", U'\''}, {u"nbsp", 0xA0}}};
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype semicolon = value[i] == u'&' ? value.indexOf(u';', i + 1) : -1;
        constexpr qsizetype kLongestReference = 10;
        if (semicolon < 0 || semicolon - i > kLongestReference) {
            out += value[i];
            continue;
        }
        const QStringView name = value.sliced(i + 1, semicolon - i - 1);
        std::optional<char32_t> code;
        for (const auto& [known, character] : kNamed) {
            if (name == known)
                code = character;
        }
        if (name.startsWith(u'#') && name.size() > 1) {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            bool ok = false;
            const uint number = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (ok && number > 0 && number <= 0x10FFFF && (number < 0xD800 || number > 0xDFFF))
                code = char32_t(number);
        }
        if (!code) {
            out += value[i];
            continue;
        }
        out += QString::fromUcs4(&*code, 1);
        i = semicolon;
    }
    return out;
}

using Attributes = QList<std::pair<QStringView, QStringView>>;

// Reads the attributes of the tag whose name ends at `at` into `out` (at most `max`), as the
// tokenizer reads them; gives where its ">" stands, or nothing when the markup ends first.
std::optional<qsizetype> readTag(QStringView markup, qsizetype at, Attributes* out, int max)
{
    qsizetype i = at;
    const qsizetype size = markup.size();
    while (true) {
        while (i < size && (isSpace(markup[i]) || markup[i] == u'/'))
            ++i;
        if (i >= size)
            return std::nullopt;
        if (markup[i] == u'>')
            return i;
        const qsizetype nameBegin = i++; // a leading "=" is part of the name
        while (i < size && !isSpace(markup[i]) && markup[i] != u'/' && markup[i] != u'>' && markup[i] != u'=')
            ++i;
        const QStringView name = markup.sliced(nameBegin, i - nameBegin);
        while (i < size && isSpace(markup[i]))
            ++i;
        QStringView value;
        if (i < size && markup[i] == u'=') {
            ++i;
            while (i < size && isSpace(markup[i]))
                ++i;
            if (i < size && (markup[i] == u'"' || markup[i] == u'\'')) {
                const qsizetype close = markup.indexOf(markup[i], i + 1);
                if (close < 0)
                    return std::nullopt;
                value = markup.sliced(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueBegin = i;
                while (i < size && !isSpace(markup[i]) && markup[i] != u'>')
                    ++i;
                value = markup.sliced(valueBegin, i - valueBegin);
            }
        }
        if (out && out->size() < max)
            out->append({name, value});
    }
}

} // namespace

qsizetype readPastTheCap(QStringView markup, qsizetype from, const BaseAddress& base, ElementStore& store,
                         qsizetype maxElements, qsizetype maxAttributes)
{
    qsizetype added = 0;
    qsizetype attributes = 0;
    Attributes found;
    qsizetype at = std::clamp<qsizetype>(from, 0, markup.size());
    while (added < maxElements && attributes < maxAttributes) {
        const qsizetype lt = markup.indexOf(u'<', at);
        if (lt < 0 || lt + 1 >= markup.size())
            break;
        const QChar next = markup[lt + 1];
        if (markup.sliced(lt).startsWith(u"<!--")) {
            at = commentEnd(markup, lt);
            if (at < 0)
                break;
            continue;
        }
        const bool endTag = next == u'/' && lt + 2 < markup.size() && isLetter(markup[lt + 2]);
        if (!endTag && !isLetter(next)) {
            // "<!DOCTYPE", "<?", a stray "</" or a lone "<".
            at = lt + 1;
            if (next == u'!' || next == u'?' || next == u'/') {
                const qsizetype end = markup.indexOf(u'>', lt + 1);
                if (end < 0)
                    break;
                at = end + 1;
            }
            continue;
        }
        const qsizetype nameBegin = lt + (endTag ? 2 : 1);
        qsizetype nameEnd = nameBegin;
        while (nameEnd < markup.size() && !isSpace(markup[nameEnd]) && markup[nameEnd] != u'>' && markup[nameEnd] != u'/')
            ++nameEnd;
        const QStringView name = markup.sliced(nameBegin, nameEnd - nameBegin);
        const bool picture = !endTag && name.compare(u"img", Qt::CaseInsensitive) == 0;
        const bool link = !endTag && (name.compare(u"a", Qt::CaseInsensitive) == 0
                                      || name.compare(u"area", Qt::CaseInsensitive) == 0);
        found.clear();
        const std::optional<qsizetype> end = readTag(markup, nameEnd, picture || link ? &found : nullptr,
                                                     ParseBounds::kMaxAttributes);
        if (!end)
            break;
        at = *end + 1;
        if (endTag)
            continue;
        if (name.compare(u"plaintext", Qt::CaseInsensitive) == 0)
            break; // the rest is text
        if (isRawText(name)) {
            // Its content is text up to its own end tag.
            qsizetype close = at;
            while ((close = markup.indexOf(u"</", close)) >= 0
                   && markup.sliced(close + 2).left(name.size()).compare(name, Qt::CaseInsensitive) != 0)
                close += 2;
            if (close < 0)
                break;
            at = close;
            continue;
        }
        if (!picture && !link)
            continue;

        const ElementStore::Index element = store.appendElement(name.toString().toUpper(), {lt, at - lt}, {});
        ++added;
        bool hasHref = false;
        for (const auto& [rawName, value] : std::as_const(found)) {
            const QString attribute = rawName.toString().toLower();
            if (attribute == u"filesize" || attribute == u"outerhtml" || attribute == u"innerhtml")
                continue;
            ++attributes;
            if (attribute == u"src" || attribute == u"href") {
                hasHref = hasHref || attribute == u"href";
                store.addMember(element, attribute, base.absolute(decoded(value).toUtf8()));
            } else {
                store.addMember(element, attribute, decoded(value));
            }
        }
        if (link && hasHref)
            store.addLink(element);
    }
    return added;
}
