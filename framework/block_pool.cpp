#include "framework/block_pool.h"

#include <cstdint>
#include <new>

namespace framework {
namespace {

constexpr std::size_t kAlignment = alignof(std::max_align_t);

constexpr std::size_t RoundUp(std::size_t bytes) {
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

// The slot in front of each block that names its chunk.
constexpr std::size_t kHeadBytes = RoundUp(sizeof(void *));

}  // namespace

// A chunk: this head, then its blocks, each behind a slot that names the
// chunk, so that a freed block finds its way back.
struct BlockPool::Chunk {
    std::size_t live = 0;    // blocks given out and not yet freed
    std::size_t carved = 0;  // blocks ever given out from the chunk's room
    void *freed = nullptr;   // freed blocks, each holding the next
};

void *BlockPool::Allocate() {
    if constexpr (!kPoolBlocks) return ::operator new(blockSize_);
    const std::size_t slotBytes = kHeadBytes + RoundUp(blockSize_);
    if (current_ != nullptr && current_->freed != nullptr) {
        void *block = current_->freed;
        current_->freed = *static_cast<void **>(block);
        ++current_->live;
        return block;
    }
    if (current_ == nullptr || current_->carved == blocksPerChunk_) {
        // The chunk left behind goes when its last block does.
        void *room = ::operator new(RoundUp(sizeof(Chunk)) + slotBytes * blocksPerChunk_);
        current_ = new (room) Chunk;
        ++chunkCount_;
    }
    auto *slot = reinterpret_cast<uint8_t *>(current_) + RoundUp(sizeof(Chunk)) +
                 slotBytes * current_->carved;
    *reinterpret_cast<Chunk **>(slot) = current_;
    ++current_->carved;
    ++current_->live;
    return slot + kHeadBytes;
}

void BlockPool::Free(void *block) {
    if (block == nullptr) return;
    if constexpr (!kPoolBlocks) {
        ::operator delete(block);
        return;
    }
    Chunk *chunk = *reinterpret_cast<Chunk **>(static_cast<uint8_t *>(block) - kHeadBytes);
    if (--chunk->live == 0) {
        if (chunk == current_) current_ = nullptr;
        chunk->~Chunk();
        ::operator delete(chunk);
        --chunkCount_;
        return;
    }
    *static_cast<void **>(block) = chunk->freed;
    chunk->freed = block;
}

}  // namespace framework
