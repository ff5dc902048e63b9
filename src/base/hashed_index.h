#pragma once

#include <QHashFunctions>
#include <QStringView>
#include <QtGlobal>

#include <algorithm>
#include <optional>
#include <vector>

// Record numbers found by the hash of a key the caller keeps elsewhere, eight bytes a slot
// and never more than half the slots in use. The caller says whether a record's key is the
// one sought; the stored hash spares it almost every comparison that would fail.
class HashedIndex {
public:
    // The hash to file a text under. Seeded per process, so that no page can choose
    // addresses that all land in one run of slots.
    static quint32 hashOf(QStringView text) { return quint32(qHash(text, QHashSeed::globalSeed())); }

    template <typename KeyEquals>
    std::optional<quint32> find(quint32 hash, KeyEquals keyEquals) const
    {
        if (m_slots.empty())
            return std::nullopt;
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = m_slots[at];
            if (slot.recordPlusOne == 0)
                return std::nullopt;
            if (slot.hash == hash && keyEquals(slot.recordPlusOne - 1))
                return slot.recordPlusOne - 1;
        }
    }
    // The record filed under the key; when there is none, record is filed under it and
    // nothing is returned. One walk of the slots for both.
    template <typename KeyEquals>
    std::optional<quint32> findOrInsert(quint32 hash, quint32 record, KeyEquals keyEquals)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            rebuild(std::max<size_t>(16, m_slots.size() * 2));
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.recordPlusOne == 0) {
                slot = {record + 1, hash};
                ++m_count;
                return std::nullopt;
            }
            if (slot.hash == hash && keyEquals(slot.recordPlusOne - 1))
                return slot.recordPlusOne - 1;
        }
    }
    // Room for records in all without growing.
    void reserve(qsizetype records);
    // Asks for the memory a look-up of hash starts at, so that it is at hand by then.
    void prefetch(quint32 hash) const
    {
#if defined(__GNUC__)
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
#else
        Q_UNUSED(hash);
#endif
    }

private:
    struct Slot {
        quint32 recordPlusOne = 0; // 0: empty
        quint32 hash = 0;
    };
    void rebuild(size_t slotCount);

    std::vector<Slot> m_slots;
    size_t m_count = 0;
};
