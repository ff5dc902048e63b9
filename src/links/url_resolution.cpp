#include "links/url_resolution.h"

#include "links/address_directory.h"
#include "links/script_links.h"
#include "text/scheme_separator.h"

#include <QStringView>

#include <algorithm>

namespace {

bool startsWithNoCase(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

// Whether the letters just before the "://" at marker spell scheme.
bool schemeAt(QStringView link, qsizetype marker, QStringView scheme)
{
    const qsizetype start = marker - scheme.size();
    return start >= 0
        && link.sliced(start, scheme.size()).compare(scheme, Qt::CaseInsensitive) == 0;
}

// A redirect's carried address ends at the first "&" when it has a query of its own
// ("http://b/p.asp?id=1&k=2" -> "http://b/p.asp?id=1").
QString cutAtAmpersand(const QString& address, QStringView scheme)
{
    if (startsWithNoCase(address, scheme) && address.contains(u'=') && address.contains(u'&'))
        return address.left(address.indexOf(u'&'));
    return address;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The address that starts with the scheme before the last "://" of a link that carries it
// behind other text ("go.asp?u=http://b/x" -> "http://b/x").
QString embeddedAddress(const QString& link, qsizetype marker)
{
    const bool nested = QStringView(link).first(marker).contains(u"://");
    if (schemeAt(link, marker, u"https")) {
        const QString address = link.mid(marker - 5);
        return nested ? cutAtAmpersand(address, u"https://") : address;
    }
    if (schemeAt(link, marker, u"http") || schemeAt(link, marker, u"rtsp")
        || schemeAt(link, marker, u"mmst")) {
        const QString address = link.mid(marker - 4);
        return nested ? cutAtAmpersand(address, u"http://") : address;
    }
    if (schemeAt(link, marker, u"ftp") || schemeAt(link, marker, u"mms")
        || schemeAt(link, marker, u"pnm")) {
        const QString address = link.mid(marker - 3);
        return nested ? cutAtAmpersand(address, u"ftp://") : address;
    }
    // Any other scheme keeps all its letters ("u=webcal://x" -> "webcal://x").
    qsizetype start = marker;
    while (start > 0 && isSchemeCharacter(link.at(start - 1)))
        --start;
    while (start < marker && !isAsciiLetter(link.at(start)))
        ++start;
    return link.mid(start);
}

// A reference taken apart as RFC 3986 does; a part that is not there is a null view, an
// empty one an empty view ("a?" has an empty query, "a" none).
struct Reference {
    QStringView scheme;
    QStringView authority;
    QStringView path;
    QStringView query;
    QStringView fragment;
};

Reference split(QStringView text)
{
    Reference parts;
    if (!text.isEmpty() && isAsciiLetter(text.front())) {
        qsizetype end = 1;
        while (end < text.size() && isSchemeCharacter(text.at(end)))
            ++end;
        if (end < text.size() && text.at(end) == u':') {
            parts.scheme = text.first(end);
            text = text.sliced(end + 1);
        }
    }
    if (const qsizetype hash = text.indexOf(u'#'); hash >= 0) {
        parts.fragment = text.sliced(hash + 1);
        text.truncate(hash);
    }
    if (const qsizetype question = text.indexOf(u'?'); question >= 0) {
        parts.query = text.sliced(question + 1);
        text.truncate(question);
    }
    if (text.startsWith(u"//")) {
        const qsizetype slash = text.indexOf(u'/', 2);
        parts.authority = text.sliced(2, (slash < 0 ? text.size() : slash) - 2);
        text = text.sliced(2 + parts.authority.size());
    }
    parts.path = text;
    return parts;
}

// Whether a segment of the path starts with ".": only such a path may hold a "." or ".."
// segment, and most hold none.
bool hasDotSegment(QStringView path)
{
    for (qsizetype dot = path.indexOf(u'.'); dot >= 0; dot = path.indexOf(u'.', dot + 1)) {
        if (dot == 0 || path.at(dot - 1) == u'/')
            return true;
    }
    return false;
}

// "a/b/../c/./d" -> "a/c/d": "." and ".." segments taken out, ".." taking the segment before
// it with it, and none climbing above the first "/".
QString removeDotSegments(QStringView path)
{
    QString out;
    out.reserve(path.size());
    const auto dropLastSegment = [&out] { out.truncate(std::max<qsizetype>(0, out.lastIndexOf(u'/'))); };
    qsizetype at = 0;
    while (at < path.size()) {
        const QStringView in = path.sliced(at);
        if (in.startsWith(u"../")) {
            at += 3;
        } else if (in.startsWith(u"./") || in.startsWith(u"/./")) {
            at += 2;
        } else if (in == u"/.") {
            out += u'/';
            break;
        } else if (in.startsWith(u"/../")) {
            at += 3;
            dropLastSegment();
        } else if (in == u"/..") {
            dropLastSegment();
            out += u'/';
            break;
        } else if (in == u"." || in == u"..") {
            break;
        } else {
            qsizetype end = path.indexOf(u'/', in.startsWith(u'/') ? at + 1 : at);
            if (end < 0)
                end = path.size();
            out += path.sliced(at, end - at);
            at = end;
        }
    }
    return out;
}

// The address of the parts, its path written as head and tail and taken out of its dot
// segments.
QString compose(const Reference& parts, QStringView head, QStringView tail = {})
{
    QString path;
    if (hasDotSegment(head) || hasDotSegment(tail)) {
        path = removeDotSegments(head.toString().append(tail));
        head = path;
        tail = {};
    }
    QString address;
    address.reserve(parts.scheme.size() + parts.authority.size() + head.size() + tail.size()
                    + parts.query.size() + parts.fragment.size() + 5);
    if (!parts.scheme.isNull())
        address.append(parts.scheme).append(u':');
    if (!parts.authority.isNull())
        address.append(u"//").append(parts.authority);
    address.append(head).append(tail);
    if (!parts.query.isNull())
        address.append(u'?').append(parts.query);
    if (!parts.fragment.isNull())
        address.append(u'#').append(parts.fragment);
    return address;
}

// The target of a reference against a base, as RFC 3986 resolves it (strictly: "http:g"
// is an address of its own). Dot segments never climb above the site root.
QString resolveReference(QStringView link, QStringView base)
{
    const Reference reference = split(link);
    if (!reference.scheme.isNull() || !reference.authority.isNull()) {
        Reference target = reference;
        if (target.scheme.isNull())
            target.scheme = split(base).scheme;
        return compose(target, reference.path);
    }
    Reference target = split(base);
    target.fragment = reference.fragment;
    if (reference.path.isEmpty()) {
        if (!reference.query.isNull())
            target.query = reference.query;
        return compose(target, target.path);
    }
    target.query = reference.query;
    if (reference.path.startsWith(u'/'))
        return compose(target, reference.path);
    // Merged with the base's folder; a host without a path stands for its root.
    const QStringView folder = !target.authority.isNull() && target.path.isEmpty()
        ? QStringView(u"/")
        : target.path.first(target.path.lastIndexOf(u'/') + 1);
    return compose(target, folder, reference.path);
}

// An address that names its own scheme and host: only its own dot segments go. A text
// whose "://" has no scheme before it stays as written.
QString absoluteAddress(const QString& address)
{
    const Reference parts = split(address);
    if (parts.scheme.isNull() || !hasDotSegment(parts.path))
        return address;
    return compose(parts, parts.path);
}

bool isWrapping(QChar c)
{
    return c == u' ' || c == u'"' || c == u'\'';
}

// The link without the spaces, quotes and apostrophes around it; those inside stay, as they
// are part of a file's name.
QString unwrap(const QString& link)
{
    qsizetype first = 0;
    qsizetype last = link.size();
    while (first < last && isWrapping(link.at(first)))
        ++first;
    while (last > first && isWrapping(link.at(last - 1)))
        --last;
    return link.sliced(first, last - first);
}

// Drops what a script call leaves behind the address (a.htm' ); -> a.htm) and sends spaces
// as a browser does.
QString cleanUp(QString address)
{
    while (true) {
        while (!address.isEmpty() && isWrapping(address.back()))
            address.chop(1);
        if (!address.endsWith(QStringLiteral(");")))
            break;
        address.chop(2);
    }
    address.replace(u' ', QStringLiteral("%20"));
    return address;
}

} // namespace

QString resolveUrl(const QString& found, const QString& base, PageScripts* scripts)
{
    const QString link = unwrap(found);
    // A new query for the same page goes as written.
    if (link.startsWith(u'?'))
        return resolveReference(link, base);

    const qsizetype marker = lastIndexOfSchemeSeparator(link);
    if (marker > 4)
        return cleanUp(absoluteAddress(embeddedAddress(link, marker)));
    if (marker >= 0)
        return cleanUp(absoluteAddress(link));

    if (startsWithNoCase(link, u"mailto:"))
        return link;
    if (startsWithNoCase(link, u"javascript:"))
        return resolveScriptLink(link, addressDirectory(base), scripts);
    return cleanUp(resolveReference(link, base));
}
