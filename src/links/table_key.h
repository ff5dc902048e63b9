#pragma once

#include <QString>

// The key under which the picture table and the page table hold an address: scheme and host
// in lower case (an international host in QUrl's form), the scheme's default port, an empty
// port and the fragment removed, an empty web path written as "/", the rest (user, path,
// query) as written. Servers may tell letter case apart in paths ("/A.png" and "/a.png" are
// two pictures); "p.htm#top" is the page p.htm.
QString tableKey(const QString& address);

// The address without its fragment: the document a link names ("p.htm#top" -> "p.htm").
QString withoutFragment(const QString& address);
