#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <optional>

// A Retry-After value, whole seconds or an HTTP date, as seconds from now (never below 0);
// none when it is neither.
std::optional<double> retryAfterSeconds(QByteArrayView value, const QDateTime& now);
