#include "tests/bench/heap_accounting.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "standin/host/host.h"

namespace heap_accounting {
namespace {

PlugInHeap plugIn;
int plugInDepth = 0;

// Each block is preceded by its size and owner; 16 bytes keep the block at
// the alignment operator new promises.
struct alignas(16) BlockHeader {
    std::size_t size;
    bool plugInOwned;
};
static_assert(sizeof(BlockHeader) == 16, "the header must keep blocks 16-byte aligned");

void *Allocate(std::size_t size) {
    if (size > SIZE_MAX - sizeof(BlockHeader)) throw std::bad_alloc();
    auto *header = static_cast<BlockHeader *>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) throw std::bad_alloc();
    header->size = size;
    header->plugInOwned = plugInDepth > 0 && !standin::HostCallScope::Active();
    if (header->plugInOwned) {
        plugIn.liveBytes += size;
        plugIn.peakBytes = std::max(plugIn.peakBytes, plugIn.liveBytes);
        ++plugIn.allocations;
    }
    return header + 1;
}

void Release(void *block) {
    if (block == nullptr) return;
    BlockHeader *header = static_cast<BlockHeader *>(block) - 1;
    if (header->plugInOwned) plugIn.liveBytes -= header->size;
    std::free(header);
}

}  // namespace

const PlugInHeap &PlugIn() { return plugIn; }

void RestartPeak() { plugIn.peakBytes = plugIn.liveBytes; }

PlugInScope::PlugInScope() { ++plugInDepth; }
PlugInScope::~PlugInScope() { --plugInDepth; }

}  // namespace heap_accounting

// The unaligned forms. The aligned ones keep the library's own pairing and
// are not counted; nothing the plug-in allocates asks for extra alignment.
void *operator new(std::size_t size) { return heap_accounting::Allocate(size); }
void *operator new[](std::size_t size) { return heap_accounting::Allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    try {
        return heap_accounting::Allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void *block) noexcept { heap_accounting::Release(block); }
void operator delete[](void *block) noexcept { heap_accounting::Release(block); }
void operator delete(void *block, std::size_t) noexcept { heap_accounting::Release(block); }
void operator delete[](void *block, std::size_t) noexcept { heap_accounting::Release(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept {
    heap_accounting::Release(block);
}
void operator delete[](void *block, const std::nothrow_t &) noexcept {
    heap_accounting::Release(block);
}
