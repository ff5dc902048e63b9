#include "extract/srcset.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// One or more ASCII digits, not all zero.
bool isPositiveInteger(QStringView text)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), digit)
           && std::any_of(text.begin(), text.end(), [](QChar c) { return c != u'0'; });
}

bool isNonNegativeFloat(QStringView text)
{
    static const QRegularExpression number(
        QStringLiteral("^-?(?:[0-9]+|[0-9]*\\.[0-9]+)(?:[eE][-+]?[0-9]+)?$"));
    if (!number.match(text.toString()).hasMatch())
        return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value >= 0;
}

// The descriptors that follow an address give a candidate or make it invalid.
bool descriptorsValid(const QList<QStringView>& descriptors)
{
    bool width = false;
    bool density = false;
    bool height = false;
    for (const QStringView descriptor : descriptors) {
        const QStringView value = descriptor.chopped(1);
        switch (descriptor.back().unicode()) {
        case u'w':
            if (width || density || !isPositiveInteger(value))
                return false;
            width = true;
            break;
        case u'x':
            if (width || density || height || !isNonNegativeFloat(value))
                return false;
            density = true;
            break;
        case u'h':
            if (height || density || !isPositiveInteger(value))
                return false;
            height = true;
            break;
        default:
            return false;
        }
    }
    return !height || width;
}

} // namespace

QStringList parseSrcset(QStringView text)
{
    QStringList addresses;
    const qsizetype size = text.size();
    qsizetype at = 0;
    for (;;) {
        while (at < size && (isSpace(text[at]) || text[at] == u','))
            ++at;
        if (at >= size)
            return addresses;
        const qsizetype urlStart = at;
        while (at < size && !isSpace(text[at]))
            ++at;
        QStringView url = text.sliced(urlStart, at - urlStart);
        QList<QStringView> descriptors;
        if (url.endsWith(u',')) {
            while (url.endsWith(u','))
                url.chop(1);
        } else {
            // Descriptors: up to a comma that stands outside parentheses, or the end.
            while (at < size && isSpace(text[at]))
                ++at;
            qsizetype start = at;
            bool inParentheses = false;
            for (;; ++at) {
                if (at >= size) {
                    if (at > start)
                        descriptors.append(text.sliced(start, at - start));
                    break;
                }
                const QChar c = text[at];
                if (inParentheses) {
                    inParentheses = c != u')';
                    continue;
                }
                if (c == u'(') {
                    inParentheses = true;
                } else if (c == u',') {
                    if (at > start)
                        descriptors.append(text.sliced(start, at - start));
                    ++at;
                    break;
                } else if (isSpace(c)) {
                    if (at > start)
                        descriptors.append(text.sliced(start, at - start));
                    start = at + 1;
                }
            }
        }
        if (!url.isEmpty() && descriptorsValid(descriptors))
            addresses.append(url.toString());
    }
}
