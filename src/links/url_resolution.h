#pragma once

#include <QString>

class PageScripts;

// Turns a link found in a page (attribute value, url(...) reference, script argument) into
// an absolute address against the address of the page or style sheet it stands in, as
// RFC 3986 resolves references ("#s" and "" keep the page, "g/../h" is "h", "g:h" has a
// scheme of its own; ".." never climbs above the site root). Works on text alone; drops
// the spaces, quotes and apostrophes around the link and a script call's ");" behind it,
// sends inner spaces as %20, digs an address out of a longer text that carries one, and
// hands "javascript:" links to resolveScriptLink with the scripts of the page the link
// stands in. Gives "" when a script link cannot be resolved.
QString resolveUrl(const QString& link, const QString& base, PageScripts* scripts = nullptr);
