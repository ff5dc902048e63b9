#include "links/site_scope.h"

#include "text/scheme_separator.h"

#include <QStringView>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

// Hosts under these keep three labels (web.a.com.cn -> a.com.cn). The test is a search in
// this text, so pieces such as om.cn count too.
const QString secondLevelSuffixes = QStringLiteral("com.cn;net.cn;org.cn;gov.cn;com.tw;net.tw;org.tw;gov.tw;");

bool isNumber(QStringView label)
{
    if (label.isEmpty())
        return false;
    for (const QChar c : label) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Enough for every host of a site; a page that links to more only makes the answers be
// worked out again.
constexpr qsizetype kMaxKnownOrigins = 1024;

// "scheme://authority" of an address that goes on with "/" or ends there; nothing for any
// other address, whose authority a "?" or "#" ends or that has no "://".
std::optional<QStringView> originOf(const QString& address)
{
    const qsizetype marker = indexOfSchemeSeparator(address);
    if (marker < 0)
        return std::nullopt;
    qsizetype end = marker + 3;
    while (end < address.size() && address[end] != u'/' && address[end] != u'?' && address[end] != u'#')
        ++end;
    if (end < address.size() && address[end] != u'/')
        return std::nullopt;
    return QStringView(address).first(end);
}

} // namespace

QString getSiteDomain(const QString& address)
{
    // A start address typed without a scheme is loaded as http.
    const QUrl url(address.contains(u"://") ? address : QStringLiteral("http://") + address);
    const QString scheme = url.scheme().toLower();
    const bool https = scheme == QLatin1String("https");
    if (!https && scheme != QLatin1String("http"))
        return {};
    // Lower case, IDNA applied, user and password left out: the host that is asked.
    const QString host = url.host();
    if (host.isEmpty())
        return {};
    const int port = url.port();
    const QString portText = port >= 0 && port != (https ? 443 : 80) ? u':' + QString::number(port) : QString();
    // An IP address names one machine, not a site of several hosts.
    if (host.contains(u':'))
        return u'[' + host + u']' + portText;
    const QList<QStringView> labels = QStringView(host).split(u'.');
    const qsizetype count = labels.size();
    if (count == 4 && std::all_of(labels.cbegin(), labels.cend(), isNumber))
        return host + portText;
    if (count < 3)
        return host + portText;
    const QStringView last = labels.at(count - 1);
    const QStringView secondLast = labels.at(count - 2);
    const QString suffix = secondLast.toString() + u'.' + last.toString();
    if (secondLevelSuffixes.contains(suffix, Qt::CaseInsensitive))
        return labels.at(count - 3).toString() + u'.' + suffix + portText;
    if (isNumber(secondLast) && isNumber(last))
        return host + portText;
    return suffix + portText;
}

void SiteList::addStartSite(const QString& address)
{
    const QString siteDomain = getSiteDomain(address);
    if (siteDomain.isEmpty() || contains(siteDomain))
        return;
    m_entries.append(siteDomain);
    const QMutexLocker locker(&m_scopeLock);
    m_scopeOfOrigin.clear();
}

bool SiteList::inScope(const QString& address) const
{
    const std::optional<QStringView> origin = originOf(address);
    if (origin) {
        const QMutexLocker locker(&m_scopeLock);
        if (const auto known = m_scopeOfOrigin.constFind(origin->toString()); known != m_scopeOfOrigin.constEnd())
            return known.value();
    }
    const QString siteDomain = getSiteDomain(address);
    const bool in = !siteDomain.isEmpty() && contains(siteDomain);
    if (origin) {
        const QMutexLocker locker(&m_scopeLock);
        if (m_scopeOfOrigin.size() >= kMaxKnownOrigins)
            m_scopeOfOrigin.clear();
        m_scopeOfOrigin.insert(origin->toString(), in);
    }
    return in;
}

QString SiteList::text() const
{
    QString text;
    for (const QString& entry : m_entries)
        text += u'|' + entry;
    return text;
}

bool SiteList::contains(const QString& siteDomain) const
{
    for (const QString& entry : m_entries) {
        if (entry.compare(siteDomain, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
