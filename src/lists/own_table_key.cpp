#include "lists/own_table_key.h"

bool isOwnTableKey(QStringView address)
{
    qsizetype at = 0;
    if (address.startsWith(u"http://"))
        at = 7;
    else if (address.startsWith(u"https://"))
        at = 8;
    else
        return false;
    const bool https = at == 8;
    for (; at < address.size() && address[at] != u'/' && address[at] != u':'; ++at) {
        const char16_t c = address[at].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-'))
            return false;
        // "xn--" may start the ASCII form of a host that the key writes otherwise.
        if (c == u'x' && address.sliced(at).startsWith(u"xn--"))
            return false;
    }
    if (at < address.size() && address[at] == u':') {
        // A port other than the scheme's own stays in the key as written.
        const qsizetype portStart = ++at;
        for (; at < address.size() && address[at] != u'/'; ++at) {
            if (address[at] < u'0' || address[at] > u'9')
                return false;
        }
        const QStringView port = address.sliced(portStart, at - portStart);
        if (port.isEmpty() || port == (https ? u"443" : u"80"))
            return false;
    }
    if (at == address.size()) // no path: the key gains a "/"
        return false;
    return !address.sliced(at).contains(u'#');
}
