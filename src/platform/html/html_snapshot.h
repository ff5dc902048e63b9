#pragma once

#include "platform/html/parsed_page.h"

#include <QByteArrayView>
#include <QString>
#include <QUrl>

// True for a Content-Type of an HTML page; a response without one counts as HTML.
bool isHtmlContentType(QByteArrayView contentType);

// A page holds at most this many elements; those past it are not read, as if the page ended
// there. Tens of thousands are common; this bounds what a hostile page costs.
inline constexpr qsizetype kMaxElements = 200'000;

// Parses a page's text, as it stood at the address, into a snapshot that waits for its
// frames and pictures. Elements are listed in document order, and by upper-case tag name;
// every attribute is a member under its lower-case name, src and href absolute against the
// page's base (its <base href>, else the address), all others as written; outerHTML and
// innerHTML are slices of the text.
ParsedPage parseHtml(const QString& text, const QUrl& address);
