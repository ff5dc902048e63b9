#include "platform/http/http_settings.h"

#include "build_info.h"

#include <algorithm>

namespace {

// The program's page, the one the window's "最新版本" button opens.
const char* const kProgramPage = "https://www.example.com/quorvane";

bool isTokenCharacter(char c)
{
    static const QByteArrayView punctuation = "!#$%&'*+-.^_`|~";
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || punctuation.contains(c);
}

} // namespace

QByteArray HttpSettings::defaultUserAgent()
{
    return QStringLiteral("Mozilla/5.0 (compatible; %1/%2.%3.%4; +%5)")
        .arg(QString::fromUtf8(BuildInfo::title))
        .arg(BuildInfo::major)
        .arg(BuildInfo::minor)
        .arg(BuildInfo::revision)
        .arg(QString::fromLatin1(kProgramPage))
        .toUtf8();
}

std::optional<QByteArray> headerLine(const QString& text)
{
    const QByteArray line = text.toUtf8();
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || line.contains('\r') || line.contains('\n') || line.contains('\0'))
        return std::nullopt;
    const QByteArray name = line.first(colon);
    if (!std::all_of(name.cbegin(), name.cend(), isTokenCharacter))
        return std::nullopt;
    const QByteArray value = line.sliced(colon + 1).trimmed();
    // "Name:" alone would make curl drop its own header of that name rather than send it.
    if (value.isEmpty())
        return std::nullopt;
    return name + ": " + value;
}
