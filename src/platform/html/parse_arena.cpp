#include "platform/html/parse_arena.h"

#include <algorithm>

void* ParseArena::allocateInNewBlock(std::size_t size)
{
    // Each block at least doubles the last, so a parse needs few of them.
    const std::size_t last = m_blocks.empty() ? 0 : m_blocks.back().size;
    const std::size_t blockSize = std::max({kFirstBlockBytes, 2 * last, size});
    m_blocks.push_back(Block{std::make_unique_for_overwrite<std::byte[]>(blockSize), blockSize});
    m_next = m_blocks.back().bytes.get() + size;
    m_end = m_blocks.back().bytes.get() + blockSize;
    return m_blocks.back().bytes.get();
}

void ParseArena::reset()
{
    m_next = m_end = nullptr;
    if (m_blocks.empty())
        return;
    const auto largest = std::max_element(m_blocks.begin(), m_blocks.end(),
                                          [](const Block& a, const Block& b) { return a.size < b.size; });
    Block kept = largest->size <= kLargestKeptBytes ? std::move(*largest) : Block{};
    m_blocks.clear();
    if (!kept.bytes)
        return;
    m_blocks.push_back(std::move(kept));
    m_next = m_blocks.back().bytes.get();
    m_end = m_next + m_blocks.back().size;
}

ParseArena& ParseArena::ofThisThread()
{
    thread_local ParseArena arena;
    return arena;
}
