#include "links/address_directory.h"

QString addressDirectory(const QString& address)
{
    if (address.endsWith(u'/'))
        return address;
    return address.left(address.lastIndexOf(u'/') + 1);
}
