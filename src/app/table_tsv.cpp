#include "app/table_tsv.h"

#include "app/table_formats.h"

QByteArray pictureTableTsv(const PictureTable& pictures)
{
    return pictureTableText(pictures, TableFormat::Tsv);
}

QByteArray pageTableTsv(const PageTable& pages)
{
    return pageTableText(pages, TableFormat::Tsv);
}
