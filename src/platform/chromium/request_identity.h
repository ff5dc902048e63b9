#pragma once

#include <QByteArray>
#include <QList>
#include <QWebEngineUrlRequestInterceptor>

// The profile's own request interceptor: every http and https request of its pages carries
// the extra header lines of the search's settings, the same the curl session sends. The
// pages' interceptors run after it.
class RequestIdentity : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestIdentity(QObject* parent = nullptr);

    // "Name: value" lines, as HttpSettings keeps them.
    void setHeaders(const QList<QByteArray>& lines);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    QList<std::pair<QByteArray, QByteArray>> m_headers;
};
