#pragma once

#include <QtGlobal>

#include <string_view>
#include <vector>

// Orders of n items by one precomputed key per item. rows[i] is item i's place before the
// sort: items with equal keys keep their order, in either direction. Both give the items
// (0 to n - 1) in their new order.

// Keys as numbers.
std::vector<quint32> orderByNumbers(const std::vector<quint64>& keys, const std::vector<quint32>& rows,
                                    bool descending);

// Keys as byte strings compared byte by byte.
std::vector<quint32> orderByBytes(const std::vector<std::string_view>& keys, const std::vector<quint32>& rows,
                                  bool descending);

// A number whose order as an unsigned integer is the order of the value.
quint64 orderedBits(double value);
