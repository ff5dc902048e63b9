#pragma once

#include <QString>

#include <optional>
#include <string_view>

// The size column: bytes / 1024 written "#,##0.000" with a fixed "," for thousands and "."
// for decimals, whatever the regional settings (2048 -> "2.000", 1048576 -> "1,024.000").
// Empty for a size past any real file (10^15 bytes and more, infinity, NaN).
QString formatSizeKb(double bytes);

// The value of a size cell as the row builder wrote it ("1,024.000" -> 1024.0); nothing
// for an empty cell or one that does not read as a number.
std::optional<double> sizeCellValue(const QString& cell);
// The same for a cell held as Latin-1 bytes; quick for what the row builder writes.
std::optional<double> sizeCellValue(std::string_view cell);
