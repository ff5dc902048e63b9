#include "links/address_directory.h"

#include "links/scheme_separator.h"

QString addressDirectory(const QString& address)
{
    if (address.endsWith(u'/'))
        return address;
    return address.left(address.lastIndexOf(u'/') + 1);
}

QString siteRoot(const QString& directory)
{
    const qsizetype marker = indexOfSchemeSeparator(directory);
    // Without a marker the search starts at the third character, as if one stood at the front.
    const qsizetype from = marker >= 0 ? marker + 3 : 2;
    const qsizetype slash = directory.indexOf(u'/', from);
    return slash >= 0 ? directory.left(slash + 1) : QString();
}
