#pragma once

#include <QString>
#include <QtCore/qnamespace.h>

// One picture: nine columns, as the list shows them.
struct PictureRow {
    QString fileName;
    QString address;
    QString type;
    QString size; // kilobytes as formatSizeKb writes them, or empty
    QString title;
    QString source;
    QString width;
    QString height;
    QString downloadStatus;
};

// One header click as the table took it: the column, the direction it gave, and how many
// rows the table held then. A table's order is its records in the order they were added,
// ordered by each of its clicks in turn, each over the rows there were at the time.
struct PictureSort {
    int column = 0; // a PictureTable::Column
    Qt::SortOrder order = Qt::AscendingOrder;
    int records = 0;
    friend bool operator==(const PictureSort&, const PictureSort&) = default;
};
