#include "platform/chromium/request_activity.h"

RequestActivity::RequestActivity(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestActivity::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QString scheme = info.requestUrl().scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        if (scheme != QLatin1String("data") && scheme != QLatin1String("blob"))
            info.block(true);
        return;
    }
    ++m_count;
}
