#include "base/hashed_index.h"

#include <algorithm>
#include <bit>

void HashedIndex::reserve(qsizetype records)
{
    const size_t wanted = std::bit_ceil(size_t(std::max<qsizetype>(records, 8)) * 2);
    if (wanted > m_slots.size())
        rebuild(wanted);
}

void HashedIndex::rebuild(size_t slotCount)
{
    std::vector<Slot> old(slotCount);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.recordPlusOne == 0)
            continue;
        size_t at = slot.hash & mask;
        while (m_slots[at].recordPlusOne != 0)
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}
