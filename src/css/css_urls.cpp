#include "css/css_urls.h"

#include "css/css_text.h"
#include "links/url_resolution.h"
#include "text/trim_spaces.h"

#include <QStringView>

#include <optional>

namespace {

enum class FontFace { None, Unclosed, Closed };

// Whether an @font-face rule starts at `at`; when it is closed, `at` moves past its "}". Its
// url()s name fonts, not pictures. Quoted strings and comments may hold a "}".
FontFace readFontFace(QStringView text, qsizetype& at)
{
    const QStringView keyword = u"@font-face";
    if (!text.sliced(at).startsWith(keyword, Qt::CaseInsensitive))
        return FontFace::None;
    qsizetype i = at + keyword.size();
    bool inBlock = false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (text.sliced(i).startsWith(u"/*")) {
            if (text.indexOf(u"*/", i + 2) < 0)
                return FontFace::Unclosed;
            i = skipCssComment(text, i);
        } else if (inBlock && (c == u'"' || c == u'\'')) {
            QStringView content;
            i = readCssString(text, i, content);
        } else if (inBlock) {
            ++i;
            if (c == u'}') {
                at = i;
                return FontFace::Closed;
            }
        } else if (c == u'{') {
            inBlock = true;
            ++i;
        } else if (c.isSpace()) {
            ++i;
        } else {
            return FontFace::None; // "@font-feature-values", "@font-facet" and the like
        }
    }
    return inBlock ? FontFace::Unclosed : FontFace::None;
}

// The text as the scan reads it, made in one pass: "url (" and every letter-case variant of
// "url(" become "url(", CR LF becomes one space, ");" becomes ") ", and comments /* ... */
// are dropped, as what they hold names nothing, and so are @font-face rules. A "/*" that no
// "*/" closes, and an @font-face that no "}" closes, are left as they stand: in a page's markup
// they are more often part of an address or a script than style.
// A CR LF between "url" and "(" is not joined, as it only turns into a space after the joining.
QString normalised(QStringView text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    qsizetype i = 0;
    bool closingLeft = true; // once no "*/" follows, none will: the search is not repeated
    bool fontFaceClosingLeft = true; // likewise for the "}" of an @font-face
    const auto ordinary = [](QChar c) {
        return c != u'u' && c != u'U' && c != u'\r' && c != u')' && c != u'/' && c != u'@';
    };
    while (i < size) {
        const QChar c = text[i];
        if (ordinary(c)) {
            // A whole run at once: a page is megabytes, and most of it is copied unchanged.
            qsizetype end = i + 1;
            while (end < size && ordinary(text[end]))
                ++end;
            out += text.sliced(i, end - i);
            i = end;
            continue;
        }
        const QStringView rest = text.sliced(i);
        if (closingLeft && rest.startsWith(u"/*")) {
            const qsizetype close = text.indexOf(u"*/", i + 2);
            if (close >= 0) {
                i = close + 2;
                continue;
            }
            closingLeft = false;
        }
        if (fontFaceClosingLeft && c == u'@') {
            const FontFace rule = readFontFace(text, i);
            if (rule == FontFace::Closed) {
                out += u' ';
                continue;
            }
            fontFaceClosingLeft = rule != FontFace::Unclosed;
        }
        if (rest.startsWith(u"url (", Qt::CaseInsensitive)) {
            out += u"url(";
            i += 5;
        } else if (rest.startsWith(u"url(", Qt::CaseInsensitive)) {
            out += u"url(";
            i += 4;
        } else if (rest.startsWith(u"\r\n")) {
            out += u' ';
            i += 2;
        } else if (rest.startsWith(u");")) {
            out += u") ";
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The length of the reference at the start of a piece (the text behind "url("): up to its
// closing parenthesis, for a quoted one the first parenthesis behind its closing quote.
// Nothing when no parenthesis closes it.
std::optional<qsizetype> referenceLength(QStringView piece)
{
    qsizetype from = 0;
    while (from < piece.size() && piece[from] == u' ')
        ++from;
    if (from < piece.size() && (piece[from] == u'"' || piece[from] == u'\'')) {
        const qsizetype closingQuote = piece.indexOf(piece[from], from + 1);
        // An unclosed quote leaves the first parenthesis to end the reference.
        from = closingQuote >= 0 ? closingQuote + 1 : 0;
    } else {
        from = 0;
    }
    const qsizetype close = piece.indexOf(u')', from);
    if (close < 0)
        return std::nullopt;
    return close;
}

QString referenceText(QStringView reference)
{
    QString text = reference.toString();
    for (QChar& c : text) {
        if (c == u'"' || c == u'\'' || c == u'<' || c == u'>')
            c = u' ';
    }
    return trimSpaces(text);
}

// Whether the text holds "/*", or "url(" or "url (" in any letter case: without either,
// normalising makes no "url(". This runs over every page's whole markup, so it looks for
// single characters, which Qt finds many at a time, and for the rarest: a page holds a
// parenthesis for every thirty u's. Qt's case-insensitive substring search folds every
// character through the Unicode tables instead.
bool mayHoldReference(QStringView text)
{
    const auto lowerAscii = [](QChar c) { return char16_t(c.unicode() | 0x20); }; // others stay apart
    for (qsizetype star = text.indexOf(u'*', 1); star >= 0; star = text.indexOf(u'*', star + 1)) {
        if (text[star - 1] == u'/')
            return true;
    }
    for (qsizetype open = text.indexOf(u'(', 3); open >= 0; open = text.indexOf(u'(', open + 1)) {
        const qsizetype end = text[open - 1] == u' ' ? open - 1 : open; // where "url" would end
        if (end >= 3 && lowerAscii(text[end - 3]) == u'u' && lowerAscii(text[end - 2]) == u'r'
            && lowerAscii(text[end - 1]) == u'l')
            return true;
    }
    return false;
}

} // namespace

QStringList cssUrlReferences(const QString& text)
{
    QStringList references;
    // Without a comment to drop, only a "url(" or "url (" already in the text can become
    // "url(". Most pages hold neither, and are not copied.
    if (!mayHoldReference(text))
        return references;
    const QString s = normalised(text);
    const QStringView marker = u"url(";
    qsizetype start = s.indexOf(marker);
    while (start >= 0) {
        const qsizetype pieceStart = start + marker.size();
        const qsizetype next = s.indexOf(marker, pieceStart);
        const QStringView piece = next >= 0 ? QStringView(s).sliced(pieceStart, next - pieceStart)
                                            : QStringView(s).sliced(pieceStart);
        // url() names nothing.
        if (const std::optional<qsizetype> length = referenceLength(piece); length && *length > 0)
            references.append(referenceText(piece.first(*length)));
        start = next;
    }
    return references;
}

void scanCssUrls(const QString& text, const QString& base, CandidateList& candidates,
                 const QString& title, const QString& source, PageScripts* scripts)
{
    for (const QString& reference : cssUrlReferences(text))
        candidates.append(resolveUrl(reference, base, scripts), QString(), title, source);
}
