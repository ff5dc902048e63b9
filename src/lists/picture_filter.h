#pragma once

#include "lists/picture_table.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

// Which pictures the user keeps: the headless runner's filter options and the window's filter
// row both fill one of these. A condition left empty keeps every row.
struct PictureFilter {
    std::optional<int> minWidth{}, minHeight{};      // pixels
    std::optional<double> minSizeKb{}, maxSizeKb{}; // as the size column reads
    QStringList types{};          // picture types, letter case ignored; empty: all
    QRegularExpression match{};   // on the address; invalid/empty pattern: no condition
    QRegularExpression exclude{}; // on the address; invalid/empty pattern: no condition
    QString text{};               // plain text in the address or file name, case ignored

    enum class Verdict {
        Pass,
        Fails,
        // Only a width or height condition stands against the row, and the row lacks that figure.
        DimensionsUnknown,
    };
    // A row whose size is unknown fails a size condition.
    Verdict judge(const PictureRow& row) const;
    bool isEmpty() const;
};
