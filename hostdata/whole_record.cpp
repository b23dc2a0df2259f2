#include "hostdata/whole_record.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace hostdata {
namespace {

// Whether the load succeeded and reported the size it was given room for.
bool LoadsInFull(uint32_t tag, DataKey key, std::vector<uint8_t> &buffer, uint32_t version) {
    auto size = static_cast<int32_t>(buffer.size());
    return LoadHostRecord(tag, &key, buffer.data(), &size, version) != 0 &&
           size == static_cast<int32_t>(buffer.size());
}

}  // namespace

SeenRecord LoadWholeRecord(uint32_t tag, DataKey key, int32_t size, uint32_t version) {
    SeenRecord seen;
    if (size > kLongestWholeRecord) return seen;
    const auto length = static_cast<std::size_t>(size);
    std::vector<uint8_t> cleared(length, 0x00);
    std::vector<uint8_t> filled(length, 0xFF);
    const bool first = LoadsInFull(tag, key, cleared, version);
    const bool second = LoadsInFull(tag, key, filled, version);
    const auto agreed = static_cast<std::size_t>(
        std::mismatch(cleared.begin(), cleared.end(), filled.begin()).first - cleared.begin());
    seen.whole = first && second && agreed == length;
    cleared.resize(agreed);
    seen.bytes = std::move(cleared);
    return seen;
}

}  // namespace hostdata
