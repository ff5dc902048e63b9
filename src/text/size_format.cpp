#include "text/size_format.h"

#include <charconv>
#include <cmath>

QString formatSizeKb(double bytes)
{
    if (!std::isfinite(bytes) || std::fabs(bytes) >= 1e15)
        return {};
    const double kb = bytes / 1024.0;
    // Round once to thousandths, then split, so 0.9995 becomes "1.000" and not "0.1000".
    const double thousandths = std::round(std::fabs(kb) * 1000.0);
    const auto whole = static_cast<unsigned long long>(std::floor(thousandths / 1000.0));
    const auto fraction = static_cast<unsigned long long>(thousandths - whole * 1000.0);

    QString digits = QString::number(whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    const QString sign = (kb < 0 && thousandths > 0) ? QStringLiteral("-") : QString();
    return sign + digits + QLatin1Char('.') + QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
}

std::optional<double> sizeCellValue(const QString& cell)
{
    QString text = cell.trimmed();
    text.remove(QLatin1Char(','));
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> sizeCellValue(std::string_view cell)
{
    // Digits, thousands separators and one point: read here. Anything else: the general way.
    char digits[64];
    size_t length = 0;
    bool point = false;
    for (const char c : cell) {
        if (c == ',')
            continue;
        const bool isPoint = c == '.';
        if ((!isPoint && (c < '0' || c > '9')) || (isPoint && point) || length == sizeof digits)
            return sizeCellValue(QString::fromLatin1(cell.data(), qsizetype(cell.size())));
        point = point || isPoint;
        digits[length++] = c;
    }
    if (length == 0 || (length == 1 && point))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(digits, digits + length, value);
    if (error != std::errc() || end != digits + length || !std::isfinite(value))
        return std::nullopt;
    return value;
}
