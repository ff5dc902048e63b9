#include "lists/sort_order.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

struct Item {
    quint64 key; // the whole key, or for byte strings 8 bytes past the common start
    quint32 row;
    quint32 item;
};

std::vector<Item> itemsOf(const std::vector<quint32>& rows)
{
    std::vector<Item> items(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        items[i] = {0, rows[i], quint32(i)};
    return items;
}

std::vector<quint32> orderOf(const std::vector<Item>& items)
{
    std::vector<quint32> order(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].item;
    return order;
}

// The 8 bytes of key from start on, big-endian, zero past its end: ordering these numbers
// orders the keys wherever they differ within those bytes.
quint64 window(std::string_view key, size_t start)
{
    quint64 bits = 0;
    for (size_t i = 0; i < 8; ++i)
        bits = (bits << 8) | (start + i < key.size() ? quint8(key[start + i]) : 0);
    return bits;
}

} // namespace

std::vector<quint32> orderByNumbers(const std::vector<quint64>& keys, const std::vector<quint32>& rows,
                                    bool descending)
{
    std::vector<Item> items = itemsOf(rows);
    for (Item& item : items)
        item.key = keys[item.item];
    std::sort(items.begin(), items.end(), [descending](const Item& a, const Item& b) {
        if (a.key != b.key)
            return descending ? b.key < a.key : a.key < b.key;
        return a.row < b.row;
    });
    return orderOf(items);
}

std::vector<quint32> orderByBytes(const std::vector<std::string_view>& keys, const std::vector<quint32>& rows,
                                  bool descending)
{
    // Site addresses share long starts; skipping what every key shares leaves 8 bytes that
    // decide almost every comparison without touching the texts.
    size_t common = keys.empty() ? 0 : keys.front().size();
    for (const std::string_view key : keys) {
        common = std::min(common, key.size());
        size_t same = 0;
        while (same < common && key[same] == keys.front()[same])
            ++same;
        common = same;
    }
    std::vector<Item> items = itemsOf(rows);
    for (Item& item : items)
        item.key = window(keys[item.item], common);
    const size_t past = common + 8;
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.key != b.key)
            return descending ? b.key < a.key : a.key < b.key;
        const std::string_view ka = keys[a.item];
        const std::string_view kb = keys[b.item];
        const std::string_view ta = ka.size() > past ? ka.substr(past) : std::string_view();
        const std::string_view tb = kb.size() > past ? kb.substr(past) : std::string_view();
        // Equal windows may still hide a difference in length (a zero byte against the end).
        const int order = ta != tb ? ta.compare(tb) : ka.compare(kb);
        if (order != 0)
            return descending ? order > 0 : order < 0;
        return a.row < b.row;
    });
    return orderOf(items);
}

quint64 orderedBits(double value)
{
    const quint64 bits = std::bit_cast<quint64>(value);
    return bits & (quint64(1) << 63) ? ~bits : bits | (quint64(1) << 63);
}
