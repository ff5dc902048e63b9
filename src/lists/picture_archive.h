#pragma once

#include "lists/picture_row.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// Where a picture table keeps the rows it no longer holds in memory: the search's file. It
// holds every row the table has handed over, by record number, as the table last had it.
// Reads that fail give nothing: the table shows such a row empty and goes on.
class PictureArchive {
public:
    virtual ~PictureArchive() = default;

    // The rows of records, in the order given; a record the archive lacks gives an empty row.
    virtual std::optional<std::vector<PictureRow>> archivedRows(std::span<const quint32> records) const = 0;
    // The records filed under keyHash (PictureTable::storedKeyHash), with their addresses:
    // the table confirms the key, since two keys may share a hash.
    virtual std::optional<std::vector<std::pair<quint32, QString>>> recordsWithKeyHash(qint64 keyHash) const = 0;
    // Hands take the key hash of every record from first up to end, in no particular order;
    // false when the archive cannot give them all.
    virtual bool readKeyHashes(quint32 first, quint32 end, const std::function<void(qint64)>& take) const = 0;
    // The records below records, ordered as PictureTable::sortBy orders rows: by
    // PictureTable::sortKey of the column's cell, compared byte by byte in the direction
    // given, records with equal keys by their place in rowOfRecord (ascending either way;
    // an empty rowOfRecord is the order they were added).
    virtual std::optional<std::vector<quint32>> orderedRecords(int column, bool descending, quint32 records,
                                                               const std::vector<quint32>& rowOfRecord) const = 0;
};
