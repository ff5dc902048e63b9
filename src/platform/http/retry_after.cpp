#include "platform/http/retry_after.h"

#include <algorithm>

std::optional<double> retryAfterSeconds(QByteArrayView value, const QDateTime& now)
{
    const QByteArrayView text = value.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        bool ok = false;
        const qint64 seconds = text.toLongLong(&ok);
        // Too many digits for a number is still a very long wait.
        return ok ? double(seconds) : 1e18;
    }
    // The date as HTTP writes it, "Sun, 06 Nov 1994 08:49:37 GMT", which Qt's RFC 2822
    // reader does not take with its "GMT".
    QDateTime at = QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    at.setTimeSpec(Qt::UTC);
    if (!at.isValid())
        return std::nullopt;
    return std::max<double>(0, now.msecsTo(at) / 1000.0);
}
