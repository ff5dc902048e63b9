#pragma once

#include <QString>
#include <QUrl>

// http and https: the only schemes this engine fetches.
bool isWebAddress(const QUrl& url);

// Same scheme, host and port (a missing port read as the scheme's own).
bool sameOrigin(const QUrl& a, const QUrl& b);

// The address without its fragment: what names a document.
QUrl documentAddress(const QUrl& url);

// "about:blank" in any letter case.
bool isAboutBlank(const QString& address);

// The address to fetch for what was asked: an address without a scheme is taken as http.
QUrl addressToFetch(const QString& address);
