#include "links/link_filter.h"

#include "links/trim_spaces.h"

#include <QStringView>

namespace {

// Files that are no pages to search, whatever site they are on.
bool isExcludedLinkType(QStringView extension)
{
    static const QStringView excluded[]
        = {u"exe", u"zip", u"rar", u"iso", u"jpg", u"gif", u"tif", u"pdf", u"doc", u"txt"};
    for (const QStringView type : excluded) {
        if (extension.compare(type, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString getLinkExtension(const QString& address)
{
    QString name = address;
    name.replace(u'\\', u'/');
    name = name.sliced(name.lastIndexOf(u'/') + 1);
    if (const qsizetype fragment = name.lastIndexOf(u'#'); fragment >= 0)
        name.truncate(fragment);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString extension = trimSpaces(QStringView(name).sliced(dot + 1));
    return extension.size() > 6 ? QString() : extension;
}

std::optional<QString> harvestableAddress(const QString& link, const SiteList& sites)
{
    QString address = trimSpaces(link);
    if (address.endsWith(u'#'))
        address.chop(1);
    if (!address.startsWith(u"http://", Qt::CaseInsensitive)
        && !address.startsWith(u"https://", Qt::CaseInsensitive))
        return std::nullopt;
    const QString extension = getLinkExtension(address);
    if (!extension.isEmpty() && isExcludedLinkType(extension))
        return std::nullopt;
    if (!sites.inScope(address))
        return std::nullopt;
    return address;
}
