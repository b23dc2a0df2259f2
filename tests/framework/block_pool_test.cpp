#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "framework/block_pool.h"
#include "framework/fc_staffsystem.h"

namespace {

using framework::BlockPool;

// Fills each block with its own byte, so that blocks that overlap, or a
// pool that writes into a block it gave out, show as a wrong byte.
void Fill(std::vector<void *> &blocks, std::size_t size) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        std::memset(blocks[i], static_cast<int>(i & 0xFF), size);
    }
}

bool StillFilled(const std::vector<void *> &blocks, std::size_t size) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto *bytes = static_cast<const uint8_t *>(blocks[i]);
        for (std::size_t b = 0; b < size; ++b) {
            if (bytes[b] != static_cast<uint8_t>(i & 0xFF)) return false;
        }
    }
    return true;
}

TEST(BlockPool, BlocksAreDistinctAlignedAndKeepTheirBytes) {
    constexpr std::size_t kSize = 37;
    BlockPool pool(kSize, 4);
    std::vector<void *> blocks;
    for (int i = 0; i < 11; ++i) blocks.push_back(pool.Allocate());
    for (void *block : blocks) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    }
    EXPECT_EQ(std::set<void *>(blocks.begin(), blocks.end()).size(), blocks.size());
    Fill(blocks, kSize);
    // Freeing some and taking new ones never touches the blocks still out.
    pool.Free(blocks[10]);
    pool.Free(blocks[3]);
    blocks.erase(blocks.begin() + 10);
    blocks.erase(blocks.begin() + 3);
    blocks.push_back(pool.Allocate());
    blocks.push_back(pool.Allocate());
    Fill(blocks, kSize);
    EXPECT_TRUE(StillFilled(blocks, kSize));
    for (void *block : blocks) pool.Free(block);
    EXPECT_EQ(pool.ChunkCount(), 0u);
}

TEST(BlockPool, ChunksGoBackToTheHeapWithTheirLastBlock) {
    if (!framework::kPoolBlocks) GTEST_SKIP() << "each block is a heap block of its own";
    BlockPool pool(16, 2);
    void *a = pool.Allocate();
    void *b = pool.Allocate();
    void *c = pool.Allocate();  // a second chunk
    EXPECT_EQ(pool.ChunkCount(), 2u);
    pool.Free(a);
    EXPECT_EQ(pool.ChunkCount(), 2u);
    pool.Free(b);  // the first chunk's last
    EXPECT_EQ(pool.ChunkCount(), 1u);
    // A block freed in the chunk still carved from is given out again.
    void *d = pool.Allocate();
    EXPECT_EQ(pool.ChunkCount(), 1u);
    pool.Free(d);
    void *e = pool.Allocate();
    EXPECT_EQ(e, d);
    pool.Free(c);
    pool.Free(e);
    pool.Free(nullptr);
    EXPECT_EQ(pool.ChunkCount(), 0u);
}

// A class derived from the staff system with fields of its own is too big
// for the pool's blocks, and must get (and give back) a heap block.
class TaggedStaffSystem : public FCStaffSystem {
public:
    uint8_t extra[40] = {};
};

TEST(BlockPool, StaffSystemsOfAnotherSizeUseTheHeap) {
    std::vector<FCStaffSystem *> systems;
    for (int i = 0; i < 40; ++i) {
        FCStaffSystem *system = i % 2 == 0 ? new FCStaffSystem : new TaggedStaffSystem;
        system->SetLeftIndent(static_cast<uint16_t>(i));
        systems.push_back(system);
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(systems[static_cast<std::size_t>(i)]->GetLeftIndent(), i);
    }
    for (FCStaffSystem *system : systems) delete static_cast<__FCBase *>(system);
}

}  // namespace
