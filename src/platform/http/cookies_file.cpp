#include "platform/http/cookies_file.h"

#include <algorithm>

namespace {

const QByteArray kHttpOnlyPrefix = "#HttpOnly_";

// A byte that would end or bend a request header where the cookie is sent.
bool hasControlByte(const QByteArray& line)
{
    return std::any_of(line.begin(), line.end(), [](char c) { return (uchar(c) < 0x20 && c != '\t') || c == 0x7f; });
}

bool isFlag(const QByteArray& field)
{
    return field.compare("TRUE", Qt::CaseInsensitive) == 0 || field.compare("FALSE", Qt::CaseInsensitive) == 0;
}

} // namespace

CookiesFile readCookiesText(const QByteArray& text, qint64 nowSeconds)
{
    CookiesFile file;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || (line.startsWith('#') && !line.startsWith(kHttpOnlyPrefix)))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        // The value may be empty, and then some exporters drop its tab.
        const bool shape = fields.size() == 7 || (fields.size() == 6 && !fields.at(5).isEmpty());
        const QByteArray domain = shape ? fields.at(0).mid(line.startsWith(kHttpOnlyPrefix) ? kHttpOnlyPrefix.size() : 0) : QByteArray();
        bool numeric = false;
        const qint64 expiry = shape ? fields.at(4).toLongLong(&numeric) : 0;
        if (!shape || hasControlByte(line) || domain.isEmpty() || !isFlag(fields.at(1)) || !fields.at(2).startsWith('/') || !isFlag(fields.at(3))
            || !numeric || expiry < 0 || fields.at(5).isEmpty()) {
            ++file.malformed;
            continue;
        }
        if (expiry != 0 && expiry <= nowSeconds) {
            ++file.expired;
            continue;
        }
        file.cookies.append(fields.size() == 7 ? line : line + '\t');
    }
    return file;
}
