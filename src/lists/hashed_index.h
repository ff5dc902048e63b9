#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

// Record numbers found by the hash of a key the caller keeps elsewhere, eight bytes a slot
// and never more than half the slots in use. The caller says whether a record's key is the
// one sought; the stored hash spares it almost every comparison that would fail.
class HashedIndex {
public:
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
    // The key must not be in the index yet.
    void insert(quint32 hash, quint32 record);
    void reserve(qsizetype records);

private:
    struct Slot {
        quint32 recordPlusOne = 0; // 0: empty
        quint32 hash = 0;
    };
    void rebuild(size_t slotCount);

    std::vector<Slot> m_slots;
    size_t m_count = 0;
};
