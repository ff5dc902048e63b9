#include "app/table_tsv.h"

#include "lists/page_table.h"
#include "lists/picture_table.h"

namespace {

void appendLine(QString& text, std::initializer_list<QString> fields)
{
    bool first = true;
    for (const QString& field : fields) {
        if (!first)
            text += QLatin1Char('\t');
        first = false;
        const qsizetype start = text.size();
        text += field;
        for (qsizetype i = start; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                text[i] = QLatin1Char(' ');
        }
    }
    text += QLatin1Char('\n');
}

} // namespace

QByteArray pictureTableTsv(const PictureTable& pictures)
{
    const QStringList h = PictureTable::headers();
    QString text;
    appendLine(text, {h.at(0), h.at(1), h.at(2), h.at(3), h.at(4), h.at(5), h.at(6), h.at(7), h.at(8)});
    for (int i = 0; i < pictures.size(); ++i) {
        const PictureRow& r = pictures.row(i);
        appendLine(text, {r.fileName, r.address, r.type, r.size, r.title, r.source, r.width,
                          r.height, r.downloadStatus});
    }
    return text.toUtf8();
}

QByteArray pageTableTsv(const PageTable& pages)
{
    const QStringList h = PageTable::headers();
    QString text;
    appendLine(text, {h.at(PageTable::Title), h.at(PageTable::Address), h.at(PageTable::DownloadStatus)});
    for (int position = 1; position <= pages.size(); ++position) {
        const PageRow& r = pages.row(position);
        appendLine(text, {r.title, r.address, pageStatusText(r.status)});
    }
    return text.toUtf8();
}
