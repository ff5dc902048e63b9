#include "text/address_kinds.h"

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool isWebAddress(const QString& address)
{
    return isWebAddress(QUrl(address));
}

bool isAboutBlank(const QString& address)
{
    return address.trimmed().compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0;
}
