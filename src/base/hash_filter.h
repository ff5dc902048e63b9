#pragma once

#include <QtGlobal>

#include <vector>

// A set of 64-bit hashes that answers "surely not" or "maybe", in a fixed number of bits
// whatever it holds: a look-up it rules out costs no trip to the disk. The more it holds, the
// more often it says "maybe" of a hash it does not hold; never the other way round.
class HashFilter {
public:
    // 2^bitsLog2 bits (6 at least), taken when the first hash is added.
    explicit HashFilter(int bitsLog2) : m_mask((quint64(1) << bitsLog2) - 1) {}

    void add(quint64 hash)
    {
        if (m_words.empty())
            m_words.resize(size_t((m_mask + 1) / 64));
        for (int probe = 0; probe < kProbes; ++probe) {
            const quint64 bit = bitOf(hash, probe);
            m_words[bit / 64] |= quint64(1) << (bit % 64);
        }
    }
    bool mayHold(quint64 hash) const
    {
        if (m_words.empty())
            return false;
        for (int probe = 0; probe < kProbes; ++probe) {
            const quint64 bit = bitOf(hash, probe);
            if (!(m_words[bit / 64] & (quint64(1) << (bit % 64))))
                return false;
        }
        return true;
    }

private:
    static constexpr int kProbes = 4;
    // The probes step through the bits by the hash's upper half from its lower half.
    quint64 bitOf(quint64 hash, int probe) const
    {
        const quint64 step = (hash >> 32) | 1;
        return (hash + quint64(probe) * step) & m_mask;
    }

    quint64 m_mask;
    std::vector<quint64> m_words;
};
