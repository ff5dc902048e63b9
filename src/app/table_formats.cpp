#include "app/table_formats.h"

#include "lists/page_table.h"
#include "lists/picture_table.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace {

bool breaksTsvLine(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

void appendTsv(QString& text, const QStringList& fields)
{
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            text += QLatin1Char('\t');
        const qsizetype start = text.size();
        text += fields.at(f);
        for (qsizetype i = start; i < text.size(); ++i) {
            if (breaksTsvLine(text.at(i)))
                text[i] = QLatin1Char(' ');
        }
    }
    text += QLatin1Char('\n');
}

void appendCsv(QString& text, const QStringList& fields)
{
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            text += QLatin1Char(',');
        text += QLatin1Char('"');
        const QString& field = fields.at(f);
        if (field.contains(QLatin1Char('"')))
            text += QString(field).replace(QLatin1Char('"'), QLatin1String("\"\""));
        else
            text += field;
        text += QLatin1Char('"');
    }
    text += QLatin1String("\r\n");
}

void appendJsonString(QString& text, const QString& value)
{
    text += QLatin1Char('"');
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'"': text += QLatin1String("\\\""); break;
        case u'\\': text += QLatin1String("\\\\"); break;
        case u'\n': text += QLatin1String("\\n"); break;
        case u'\r': text += QLatin1String("\\r"); break;
        case u'\t': text += QLatin1String("\\t"); break;
        default:
            // Control characters must be escaped; the two line separators are, so that a
            // line never looks broken to a reader that splits at them.
            if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029)
                text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                text += c;
        }
    }
    text += QLatin1Char('"');
}

void appendJsonLine(QString& text, const QStringList& names, const QStringList& fields)
{
    text += QLatin1Char('{');
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            text += QLatin1Char(',');
        appendJsonString(text, names.at(f));
        text += QLatin1Char(':');
        appendJsonString(text, fields.at(f));
    }
    text += QLatin1String("}\n");
}

// Hands the text on in pieces of whole rows: a table of a million rows is never held whole,
// and a piece never ends inside a character.
bool writeTable(const QStringList& names, int rows, const std::function<QStringList(int)>& rowAt,
                TableFormat format, const TablePiece& put)
{
    constexpr qsizetype pieceSize = 64 * 1024;
    QString text;
    const auto append = [&](const QStringList& fields) {
        switch (format) {
        case TableFormat::Tsv: appendTsv(text, fields); break;
        case TableFormat::Csv: appendCsv(text, fields); break;
        case TableFormat::JsonLines: appendJsonLine(text, names, fields); break;
        }
    };
    if (format == TableFormat::Csv)
        text += QChar(0xFEFF);
    if (format != TableFormat::JsonLines)
        append(names);
    for (int row = 0; row < rows; ++row) {
        append(rowAt(row));
        if (text.size() >= pieceSize) {
            if (!put(text))
                return false;
            text.resize(0); // keeps the room for the next piece, unlike clear()
        }
    }
    return text.isEmpty() || put(text);
}

QByteArray wholeText(const std::function<bool(const TablePiece&)>& write)
{
    QString text;
    write([&text](const QString& piece) {
        text += piece;
        return true;
    });
    return text.toUtf8();
}

} // namespace

std::optional<TableFormat> tableFormatNamed(const QString& name)
{
    if (name == QLatin1String("tsv"))
        return TableFormat::Tsv;
    if (name == QLatin1String("csv"))
        return TableFormat::Csv;
    if (name == QLatin1String("jsonl"))
        return TableFormat::JsonLines;
    return std::nullopt;
}

bool writePictureTable(const PictureTable& pictures, TableFormat format, const std::function<bool(int row)>& keep,
                       const TablePiece& put)
{
    std::vector<int> rows;
    rows.reserve(pictures.size());
    for (int row = 0; row < pictures.size(); ++row) {
        if (!keep || keep(row))
            rows.push_back(row);
    }
    return writeTable(PictureTable::headers(), int(rows.size()), [&pictures, &rows](int i) {
        const PictureRow r = pictures.row(rows[i]);
        return QStringList{r.fileName, r.address, r.type, r.size, r.title, r.source, r.width,
                           r.height, r.downloadStatus};
    }, format, put);
}

bool writePageTable(const PageTable& pages, TableFormat format, const TablePiece& put)
{
    const QStringList h = PageTable::headers();
    const QStringList names{h.at(PageTable::Title), h.at(PageTable::Address), h.at(PageTable::DownloadStatus)};
    return writeTable(names, pages.size(), [&pages](int i) {
        const PageRow& r = pages.row(i + 1);
        return QStringList{r.title, r.address, pageStatusText(r.status)};
    }, format, put);
}

QByteArray pictureTableText(const PictureTable& pictures, TableFormat format,
                            const std::function<bool(int row)>& keep)
{
    return wholeText([&](const TablePiece& put) { return writePictureTable(pictures, format, keep, put); });
}

QByteArray pageTableText(const PageTable& pages, TableFormat format)
{
    return wholeText([&](const TablePiece& put) { return writePageTable(pages, format, put); });
}
