// Blocks of one size for the objects a collection makes one per host
// record, carved from chunks: loading a document's staff systems asks the
// heap once per chunk rather than once per system. A chunk goes back to the
// heap when its last block is freed, so nothing is kept between commands.
#pragma once

#include <cstddef>

namespace framework {

// Under AddressSanitizer each block is a heap block of its own, so that an
// overrun or a use after free is caught as it is without the pool.
#if defined(__SANITIZE_ADDRESS__)
#define KARVO_POOL_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARVO_POOL_BLOCKS 0
#endif
#endif
#ifndef KARVO_POOL_BLOCKS
#define KARVO_POOL_BLOCKS 1
#endif
inline constexpr bool kPoolBlocks = KARVO_POOL_BLOCKS != 0;

class BlockPool {
public:
    // Blocks of `blockSize` bytes, `blocksPerChunk` to a chunk.
    constexpr BlockPool(std::size_t blockSize, std::size_t blocksPerChunk) noexcept
        : blockSize_(blockSize), blocksPerChunk_(blocksPerChunk) {}
    BlockPool(const BlockPool &) = delete;
    BlockPool &operator=(const BlockPool &) = delete;

    // A block of blockSize bytes, aligned for any object; throws
    // std::bad_alloc when the heap has no room for a new chunk.
    void *Allocate();
    // Takes back a block that Allocate gave out.
    void Free(void *block);

    // Chunks held now: none once every block is freed.
    std::size_t ChunkCount() const { return chunkCount_; }

private:
    struct Chunk;

    std::size_t blockSize_;
    std::size_t blocksPerChunk_;
    // The chunk blocks are carved from; the others only wait for their
    // blocks to be freed.
    Chunk *current_ = nullptr;
    std::size_t chunkCount_ = 0;
};

}  // namespace framework
