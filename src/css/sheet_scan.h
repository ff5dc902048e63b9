#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the document walk reads in a style sheet, found in one pass over its text. The URL
// cache keeps it with the sheet, so a sheet that every page links is read once a search.
// References stay as written: each page resolves them against the sheet's address.
struct SheetScan {
    QStringList urls;      // url(...) references
    QStringList imageSets; // quoted image-set() strings
    QStringList imports;   // @import references
};

SheetScan scanSheet(const QString& text);

// A cached text's bytes as text: UTF-8 unless a byte-order mark says otherwise.
QString decodeCachedText(const QByteArray& bytes);
