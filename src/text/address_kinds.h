#pragma once

#include <QString>
#include <QUrl>

// What kind of address a text is, told the same way everywhere in the program.

// A valid http or https address with a host: the only addresses fetched or downloaded.
bool isWebAddress(const QUrl& url);
bool isWebAddress(const QString& address);

// "about:blank" in any letter case, spaces around it ignored: the page of a free slot.
bool isAboutBlank(const QString& address);
