#include "links/url_resolution.h"

#include "links/address_directory.h"
#include "links/scheme_separator.h"
#include "links/script_links.h"

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

// The scheme of an address with its colon ("http:"), or "" when it does not start with one.
QString schemeOf(const QString& address)
{
    const qsizetype marker = address.indexOf(u"://");
    if (marker <= 0 || !address.at(0).isLetter())
        return {};
    for (qsizetype i = 1; i < marker; ++i) {
        const QChar c = address.at(i);
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return {};
    }
    return address.left(marker + 1);
}

// Leading "../" and "./" climb from the directory, never above its site root.
QString resolveRelativePath(const QString& link, const QString& directory)
{
    const QString root = siteRoot(directory);
    // "http://" alone has no root to stand on: it does not climb at all.
    const qsizetype floor
        = root.isEmpty() && directory.contains(u"://") ? directory.size() : root.size();
    qsizetype end = directory.size(); // the directory used is directory.left(end)
    qsizetype from = 0;
    while (true) {
        const QStringView rest = QStringView(link).sliced(from);
        if (rest.startsWith(u"./")) {
            from += 2;
        } else if (rest.startsWith(u"../")) {
            from += 3;
            if (end > floor) {
                // The text ends with "/"; drop its last component.
                const qsizetype parent = end >= 2 ? directory.lastIndexOf(u'/', end - 2) + 1 : 0;
                end = std::max(parent, floor);
            }
        } else {
            break;
        }
    }
    return directory.left(end) + link.sliced(from);
}

QString relativeAddress(const QString& link, const QString& base, const QString& directory)
{
    if (link.startsWith(u"//")) {
        const QString scheme = schemeOf(base);
        if (!scheme.isEmpty())
            return scheme + link;
    }
    if (link.startsWith(u"./") || link.startsWith(u"../"))
        return resolveRelativePath(link, directory);
    if (link.startsWith(u'/'))
        return siteRoot(directory) + link.sliced(1);
    return directory + link;
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

QString resolveUrl(const QString& found, const QString& base)
{
    const QString link = unwrap(found);
    if (link.startsWith(u'?')) {
        const qsizetype query = base.lastIndexOf(u'?');
        return (query >= 0 ? base.left(query) : base) + link;
    }

    const qsizetype marker = lastIndexOfSchemeSeparator(link);
    if (marker > 4)
        return cleanUp(embeddedAddress(link, marker));
    if (marker >= 0)
        return cleanUp(link);

    if (startsWithNoCase(link, u"mailto:"))
        return link;
    const QString directory = addressDirectory(base);
    if (startsWithNoCase(link, u"javascript:"))
        return resolveScriptLink(link, directory);
    return cleanUp(relativeAddress(link, base, directory));
}
