#pragma once

#include "text/address_kinds.h" // isWebAddress, isAboutBlank

#include <QString>
#include <QUrl>

// Same scheme, host and port (a missing port read as the scheme's own).
bool sameOrigin(const QUrl& a, const QUrl& b);

// The address without its fragment: what names a document.
QUrl documentAddress(const QUrl& url);

// The address to fetch for what was asked: an address without a scheme is taken as http.
QUrl addressToFetch(const QString& address);
