#include "platform/html/parse_arena.h"

#include <algorithm>

namespace {

constexpr std::size_t kAlignment = alignof(std::max_align_t);

constexpr std::size_t aligned(std::size_t size)
{
    return (size + kAlignment - 1) & ~(kAlignment - 1);
}

} // namespace

void* ParseArena::allocate(std::size_t size)
{
    size = aligned(std::max<std::size_t>(size, 1));
    if (m_blocks.empty() || m_blocks.back().size - m_used < size) {
        // Each block at least doubles the last, so a parse needs few of them.
        const std::size_t last = m_blocks.empty() ? 0 : m_blocks.back().size;
        const std::size_t blockSize = std::max({kFirstBlockBytes, 2 * last, aligned(size)});
        m_blocks.push_back(Block{std::make_unique_for_overwrite<std::byte[]>(blockSize), blockSize});
        m_used = 0;
    }
    void* block = m_blocks.back().bytes.get() + m_used;
    m_used += size;
    return block;
}

void ParseArena::reset()
{
    m_used = 0;
    if (m_blocks.empty())
        return;
    const auto largest = std::max_element(m_blocks.begin(), m_blocks.end(),
                                          [](const Block& a, const Block& b) { return a.size < b.size; });
    Block kept = largest->size <= kLargestKeptBytes ? std::move(*largest) : Block{};
    m_blocks.clear();
    if (kept.bytes)
        m_blocks.push_back(std::move(kept));
}

ParseArena& ParseArena::ofThisThread()
{
    thread_local ParseArena arena;
    return arena;
}
