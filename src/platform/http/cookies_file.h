#pragma once

#include <QByteArray>
#include <QList>

// A Netscape cookies.txt, the file curl, wget and the browsers' exporting extensions write:
// one cookie a line, seven fields apart by tabs (domain, subdomains TRUE/FALSE, path,
// secure TRUE/FALSE, expiry in Unix seconds with 0 for a session cookie, name, value).
// "#HttpOnly_" before the domain marks an HttpOnly cookie; other lines starting with '#'
// and blank ones are comments.
struct CookiesFile {
    QList<QByteArray> cookies; // the lines kept, as curl reads them
    int expired = 0;           // lines skipped: their expiry has passed
    int malformed = 0;         // lines skipped: not a cookie line
};

// nowSeconds: Unix time that expiries are compared with.
CookiesFile readCookiesText(const QByteArray& text, qint64 nowSeconds);
