// Reading and writing the host's records, which are raw little-endian bytes
// at fixed offsets. Every record field in the plug-in and its stand-in host
// goes through these helpers, so byte order is handled in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hostdata {

inline uint16_t ReadU16(const void *record, std::size_t offset) {
    const auto *p = static_cast<const uint8_t *>(record) + offset;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline int16_t ReadI16(const void *record, std::size_t offset) {
    return static_cast<int16_t>(ReadU16(record, offset));
}

inline uint32_t ReadU32(const void *record, std::size_t offset) {
    return static_cast<uint32_t>(ReadU16(record, offset)) |
           (static_cast<uint32_t>(ReadU16(record, offset + 2)) << 16);
}

inline void WriteU16(void *record, std::size_t offset, uint16_t value) {
    auto *p = static_cast<uint8_t *>(record) + offset;
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteU32(void *record, std::size_t offset, uint32_t value) {
    WriteU16(record, offset, static_cast<uint16_t>(value & 0xFFFF));
    WriteU16(record, offset + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace hostdata
