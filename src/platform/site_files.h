#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A small file a site keeps for crawlers (robots.txt, a sitemap), as it came back.
struct SiteFile {
    bool responded = false; // an HTTP status arrived
    int status = 0;
    QByteArray body; // unpacked when the file itself is gzip; at most the bytes asked for
    bool cut = false; // the file was longer than that, or the transfer broke off
};

// Fetches the small files a search reads beside its pages, through the engine's HTTP layer
// and within short deadlines. The core asks; an engine's owner gives one.
class SiteFiles : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SiteFiles() override = default;

    // Starts fetching an http or https address, keeping at most maxBytes of its body.
    // fetched() comes later from the event loop, once per call, also when nothing answered.
    virtual void fetch(const QString& address, qint64 maxBytes) = 0;

signals:
    void fetched(const QString& address, const SiteFile& file);
};
