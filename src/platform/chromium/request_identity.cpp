#include "platform/chromium/request_identity.h"

RequestIdentity::RequestIdentity(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestIdentity::setHeaders(const QList<QByteArray>& lines)
{
    m_headers.clear();
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            m_headers.append({line.first(colon), line.sliced(colon + 1).trimmed()});
    }
}

void RequestIdentity::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QString scheme = info.requestUrl().scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return;
    for (const auto& [name, value] : std::as_const(m_headers))
        info.setHttpHeader(name, value);
}
