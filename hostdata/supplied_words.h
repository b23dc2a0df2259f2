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
    // The words of the field at `offset`, `width` bytes wide. Inline: a
    // record assembled field by field adds each.
    void Add(int offset, int width) {
        for (int i = offset / 2; 2 * i < offset + width && i < kWords; ++i) {
            words[static_cast<std::size_t>(i)] = true;
        }
    }
    bool Covers(int offset, int width) const;
    bool None() const { return words.none(); }
    bool operator==(const SuppliedWords &other) const { return words == other.words; }
    bool operator!=(const SuppliedWords &other) const { return words != other.words; }

private:
    static constexpr int kWords = kMaxBytes / 2;

    std::bitset<kWords> words;
};

}  // namespace hostdata
