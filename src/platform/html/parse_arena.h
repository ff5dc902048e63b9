#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Memory for one parse of a page, handed out in order and given back all at once. The parser
// makes and frees hundreds of thousands of small blocks per page; from here each costs a few
// instructions, and freeing the tree costs nothing. A freed block is not reused, so a parse
// holds up to about twice what it needs: only pages of at most kMaxPageBytes use it.
class ParseArena {
public:
    static constexpr std::size_t kMaxPageBytes = 1 << 20;

    ParseArena() = default;
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    // Inline: the parser asks millions of times a second.
    void* allocate(std::size_t size)
    {
        size = aligned(size == 0 ? 1 : size);
        if (std::size_t(m_end - m_next) < size)
            return allocateInNewBlock(size);
        void* const block = m_next;
        m_next += size;
        return block;
    }
    // Everything handed out is given back; the largest block is kept for the next parse.
    void reset();

    // The arena of the calling thread, kept between parses.
    static ParseArena& ofThisThread();

private:
    struct Block {
        std::unique_ptr<std::byte[]> bytes;
        std::size_t size = 0;
    };
    static constexpr std::size_t kFirstBlockBytes = 256 * 1024;
    static constexpr std::size_t kLargestKeptBytes = 16 * 1024 * 1024;
    static constexpr std::size_t kAlignment = alignof(std::max_align_t);

    static constexpr std::size_t aligned(std::size_t size) { return (size + kAlignment - 1) & ~(kAlignment - 1); }
    void* allocateInNewBlock(std::size_t size);

    std::vector<Block> m_blocks; // the last one is being filled
    std::byte* m_next = nullptr; // the free part of the last block
    std::byte* m_end = nullptr;
};
