#include "text/table_key.h"

#include <QStringView>
#include <QUrl>

#include <algorithm>

namespace {

// Letters first, then letters, digits, "+", "-" or ".": a scheme, not a path that carries
// "://" in its query.
bool isScheme(QStringView text)
{
    if (text.isEmpty() || !text.front().isLetter() || text.front().unicode() > 0x7f)
        return false;
    for (const QChar c : text) {
        const bool ascii = c.unicode() <= 0x7f;
        if (!ascii || !(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))
            return false;
    }
    return true;
}

bool schemeIs(QStringView scheme, QStringView lowerCaseName)
{
    return scheme.compare(lowerCaseName, Qt::CaseInsensitive) == 0;
}

QStringView defaultPort(QStringView scheme)
{
    if (schemeIs(scheme, u"http"))
        return u"80";
    if (schemeIs(scheme, u"https"))
        return u"443";
    if (schemeIs(scheme, u"ftp"))
        return u"21";
    return {};
}

bool hasCapitals(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

// The host in lower case; an international or full-width name in the form QUrl gives it
// ("ｌｏｃａｌｈｏｓｔ" -> "localhost", "xn--bcher-kva.de" -> "bücher.de").
QString normalHost(QStringView host)
{
    const QString lower = host.toString().toLower();
    const bool international = lower.contains(QLatin1String("xn--"))
        || std::any_of(lower.cbegin(), lower.cend(), [](QChar c) { return c.unicode() > 0x7f; });
    if (!international)
        return lower;
    const QByteArray ace = QUrl::toAce(lower);
    return ace.isEmpty() ? lower : QUrl::fromAce(ace);
}

// True when normalHost would give the host back unchanged: plain ASCII without capitals.
bool isNormalHost(QStringView host)
{
    if (host.contains(QLatin1String("xn--"), Qt::CaseInsensitive))
        return false;
    return !hasCapitals(host)
        && std::none_of(host.cbegin(), host.cend(), [](QChar c) { return c.unicode() > 0x7f; });
}

} // namespace

QString withoutFragment(const QString& address)
{
    const qsizetype hash = address.indexOf(u'#');
    return hash >= 0 ? address.left(hash) : address;
}

QString tableKey(const QString& address)
{
    const QString whole = withoutFragment(address);
    const qsizetype marker = whole.indexOf(u"://");
    if (marker < 0 || !isScheme(QStringView(whole).first(marker)))
        return whole;
    const QStringView scheme = QStringView(whole).first(marker);

    const qsizetype authorityStart = marker + 3;
    qsizetype authorityEnd = authorityStart;
    while (authorityEnd < whole.size() && whole.at(authorityEnd) != u'/' && whole.at(authorityEnd) != u'?')
        ++authorityEnd;
    const QStringView authority = QStringView(whole).sliced(authorityStart, authorityEnd - authorityStart);
    const qsizetype at = authority.lastIndexOf(u'@');
    const QStringView userInfo = authority.first(at + 1);
    const QStringView hostAndPort = authority.sliced(at + 1);
    qsizetype colon = hostAndPort.lastIndexOf(u':');
    // A colon inside "[...]" belongs to an IPv6 address.
    if (colon >= 0 && hostAndPort.indexOf(u']', colon) >= 0)
        colon = -1;
    const QStringView host = colon >= 0 ? hostAndPort.first(colon) : hostAndPort;
    const QStringView port = colon >= 0 ? hostAndPort.sliced(colon + 1) : QStringView();
    const QStringView rest = QStringView(whole).sliced(authorityEnd);
    // "http://h" asks for "/" as "http://h/" does.
    const bool rootAdded = (rest.isEmpty() || rest.front() == u'?')
        && (schemeIs(scheme, u"http") || schemeIs(scheme, u"https"));

    // Most addresses are written in the key's form already: they are their own key, shared
    // rather than built again.
    const bool portKept = colon < 0 || (!port.isEmpty() && port != defaultPort(scheme));
    if (whole.size() == address.size() && !rootAdded && portKept && !hasCapitals(scheme) && isNormalHost(host))
        return address;

    QString key = scheme.toString().toLower();
    key += QStringLiteral("://");
    key += userInfo;
    key += normalHost(host);
    if (!port.isEmpty() && port != defaultPort(scheme)) {
        key += u':';
        key += port;
    }
    if (rootAdded)
        key += u'/';
    key += rest;
    return key;
}

bool isOwnTableKey(QStringView address)
{
    qsizetype at = 0;
    if (address.startsWith(u"http://"))
        at = 7;
    else if (address.startsWith(u"https://"))
        at = 8;
    else
        return false;
    const bool https = at == 8;
    for (; at < address.size() && address[at] != u'/' && address[at] != u':'; ++at) {
        const char16_t c = address[at].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-'))
            return false;
        // "xn--" may start the ASCII form of a host that the key writes otherwise.
        if (c == u'x' && address.sliced(at).startsWith(u"xn--"))
            return false;
    }
    if (at < address.size() && address[at] == u':') {
        // A port other than the scheme's own stays in the key as written.
        const qsizetype portStart = ++at;
        for (; at < address.size() && address[at] != u'/'; ++at) {
            if (address[at] < u'0' || address[at] > u'9')
                return false;
        }
        const QStringView port = address.sliced(portStart, at - portStart);
        if (port.isEmpty() || port == (https ? u"443" : u"80"))
            return false;
    }
    if (at == address.size()) // no path: the key gains a "/"
        return false;
    return !address.sliced(at).contains(u'#');
}
