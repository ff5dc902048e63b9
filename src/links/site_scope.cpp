#include "links/site_scope.h"

#include <QStringView>

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

} // namespace

QString getSiteDomain(const QString& address)
{
    QStringView host = address;
    for (const QStringView scheme : {QStringView(u"http://"), QStringView(u"https://")}) {
        if (host.startsWith(scheme, Qt::CaseInsensitive)) {
            host = host.sliced(scheme.size());
            break;
        }
    }
    if (const qsizetype slash = host.indexOf(u'/'); slash >= 0)
        host = host.first(slash);

    const QList<QStringView> labels = host.split(u'.');
    const qsizetype count = labels.size();
    if (count < 3)
        return host.toString();
    const QStringView last = labels.at(count - 1);
    const QStringView secondLast = labels.at(count - 2);
    const QString suffix = secondLast.toString() + u'.' + last.toString();
    if (secondLevelSuffixes.contains(suffix, Qt::CaseInsensitive))
        return labels.at(count - 3).toString() + u'.' + suffix;
    if (isNumber(secondLast) && isNumber(last))
        return host.toString();
    return suffix;
}

void SiteList::addStartSite(const QString& address)
{
    const QString siteDomain = getSiteDomain(address);
    if (siteDomain.isEmpty() || contains(siteDomain))
        return;
    m_entries.append(siteDomain);
}

bool SiteList::inScope(const QString& address) const
{
    const QString siteDomain = getSiteDomain(address);
    return !siteDomain.isEmpty() && contains(siteDomain);
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
