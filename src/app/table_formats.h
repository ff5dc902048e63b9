#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class PageTable;
class PictureTable;

// The tables as files, UTF-8, rows in table order, the column names as written in the window
// in every language:
// - TSV: a header line, then one line per row, each ended by "\n"; a tab or a line break of
//   any kind (CR, LF, vertical tab, form feed, U+0085, U+2028, U+2029) inside a field becomes
//   a space.
// - CSV (RFC 4180): a byte-order mark (spreadsheets then read CJK right), a header record,
//   every field quoted with inner quotes doubled, records ended by CR LF; fields kept whole.
// - JSON Lines: one object per row, the column names as keys in column order, each line
//   ended by "\n"; no header line.
enum class TableFormat { Tsv, Csv, JsonLines };

// "tsv", "csv", "jsonl".
std::optional<TableFormat> tableFormatNamed(const QString& name);

// A piece of a table's text, ending with a row; false stops the writing.
using TablePiece = std::function<bool(const QString& piece)>;

// The nine picture columns; only the rows keep accepts (by row number), all when it is empty.
QByteArray pictureTableText(const PictureTable& pictures, TableFormat format,
                            const std::function<bool(int row)>& keep = {});
// 标题, 网址, 下载状态.
QByteArray pageTableText(const PageTable& pages, TableFormat format);
// The same texts in pieces, for files too large to build whole; false when put stopped them.
bool writePictureTable(const PictureTable& pictures, TableFormat format, const std::function<bool(int row)>& keep,
                       const TablePiece& put);
bool writePageTable(const PageTable& pages, TableFormat format, const TablePiece& put);
