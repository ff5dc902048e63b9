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
    const qsizetype hostStart = at;
    for (; at < address.size() && address[at] != u'/'; ++at) {
        const char16_t c = address[at].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-'))
            return false;
    }
    if (at == address.size()) // no path: the key gains a "/"
        return false;
    return !address.sliced(hostStart, at - hostStart).contains(u"xn--") && !address.sliced(at).contains(u'#');
}
