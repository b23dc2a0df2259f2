#include "standin/platform/memory_reserve.h"

#include <cstddef>
#include <new>

namespace standin {
namespace {

constexpr std::size_t kMostBytes = 48u << 20;
constexpr std::size_t kLeastBytes = 1u << 20;

char *reserve = nullptr;
bool ranShort = false;

void GiveBackTheReserve() {
    if (reserve == nullptr) throw std::bad_alloc();
    delete[] reserve;
    reserve = nullptr;
    ranShort = true;
}

}  // namespace

void KeepMemoryInReserve() {
    for (std::size_t bytes = kMostBytes; reserve == nullptr && bytes >= kLeastBytes; bytes /= 2) {
        reserve = new (std::nothrow) char[bytes];
    }
    if (reserve != nullptr) std::set_new_handler(GiveBackTheReserve);
}

bool MemoryRanShort() { return ranShort; }

}  // namespace standin
