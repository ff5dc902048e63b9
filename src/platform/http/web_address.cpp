#include "platform/http/web_address.h"

namespace {

int portOf(const QUrl& url)
{
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

} // namespace

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0
           && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && portOf(a) == portOf(b);
}

QUrl documentAddress(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

QUrl addressToFetch(const QString& address)
{
    const QString trimmed = address.trimmed();
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (url.scheme().isEmpty() && !trimmed.isEmpty())
        return QUrl(QStringLiteral("http://") + trimmed, QUrl::TolerantMode);
    return url;
}
