#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What every request of a search sends and how it checks the servers it talks to; the same
// for pages, their resources, the probes and the downloads.
struct HttpSettings {
    QByteArray userAgent = defaultUserAgent();
    QList<QByteArray> headers; // "Name: value", sent after the program's own
    QString cookiesFile;       // a Netscape cookies.txt read before the first request
    QString caFile;            // certificates trusted besides the system's
    bool insecure = false;     // no certificate checked at all

    // "Mozilla/5.0 (compatible; Quorvane/1.2.3; +page)": the form sites expect of a robot.
    static QByteArray defaultUserAgent();
    bool operator==(const HttpSettings&) const = default;
};

// The request line for "Name: value" as typed on the command line: a token name, a colon,
// a value without line breaks; none when it is not one.
std::optional<QByteArray> headerLine(const QString& text);
