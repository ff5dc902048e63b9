#include "links/table_key.h"

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

QStringView defaultPort(QStringView scheme)
{
    if (scheme == u"http")
        return u"80";
    if (scheme == u"https")
        return u"443";
    if (scheme == u"ftp")
        return u"21";
    return {};
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
    const QString scheme = whole.left(marker).toLower();

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

    QString key = scheme;
    key += QStringLiteral("://");
    key += userInfo;
    key += normalHost(host);
    if (!port.isEmpty() && port != defaultPort(scheme)) {
        key += u':';
        key += port;
    }
    const QStringView rest = QStringView(whole).sliced(authorityEnd);
    // "http://h" asks for "/" as "http://h/" does.
    if (rest.isEmpty() || rest.front() == u'?') {
        if (scheme == u"http" || scheme == u"https")
            key += u'/';
    }
    key += rest;
    return key;
}
