#pragma once

#include <QString>
#include <QStringView>

// The key under which the picture table and the page table hold an address: scheme and host
// in lower case (an international host in QUrl's form), the scheme's default port, an empty
// port and the fragment removed, an empty web path written as "/", the rest (user, path,
// query) as written. Servers may tell letter case apart in paths ("/A.png" and "/a.png" are
// two pictures); "p.htm#top" is the page p.htm.
QString tableKey(const QString& address);

// The address without its fragment: the document a link names ("p.htm#top" -> "p.htm").
QString withoutFragment(const QString& address);

// True when tableKey(address) is the address itself, known in one pass without building the
// key: "http://" or "https://", a host of lower-case ASCII letters, digits, dots and hyphens
// (no user, no "xn--"), a port of digits other than the scheme's own if any, then a "/" and
// no "#" anywhere. False says only that the key has to be built to know.
bool isOwnTableKey(QStringView address);
