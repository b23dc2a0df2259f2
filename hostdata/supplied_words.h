// Which parts of a record hold what the host supplied.
#pragma once

#include <bitset>
#include <cstdint>

namespace hostdata {

// The 16-bit words of a preference record that hold what the host supplied,
// or what a caller put there: bit i stands for the word at byte offset 2 i.
// Words from byte kMaxBytes on are never held.
class SuppliedWords {
public:
    static constexpr int kMaxBytes = 256;

    // The whole words among the first `bytes` bytes.
    static SuppliedWords FirstBytes(int64_t bytes);
    // The words of the field at `offset`, `width` bytes wide.
    void Add(int offset, int width);
    bool Covers(int offset, int width) const;
    bool None() const { return words.none(); }
    bool operator==(const SuppliedWords &other) const { return words == other.words; }
    bool operator!=(const SuppliedWords &other) const { return words != other.words; }

private:
    std::bitset<kMaxBytes / 2> words;
};

}  // namespace hostdata
