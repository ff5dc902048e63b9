#pragma once

#include <QStringView>

// True when tableKey(address) is the address itself, known in one pass without building the
// key: "http://" or "https://", a host of lower-case ASCII letters, digits, dots and hyphens
// (no user, no "xn--"), a port of digits other than the scheme's own if any, then a "/" and
// no "#" anywhere. False says only that the key has to be built to know.
bool isOwnTableKey(QStringView address);
