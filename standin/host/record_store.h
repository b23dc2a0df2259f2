// The stand-in host's document: raw record bytes keyed by (data tag, item
// number, inci), as the host keeps them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "standin/platform/byte_text.h"

namespace standin {

struct RecordKey {
    uint32_t tag;
    int16_t item;
    int16_t inci;

    // (tag, item, inci) in one number that orders as the three do, signed
    // halves with their sign bits turned over: every host call looks a
    // record up, and the validator's long runs make millions of them.
    uint64_t Order() const {
        return (uint64_t{tag} << 32) | (uint64_t{static_cast<uint16_t>(item) ^ 0x8000u} << 16) |
               (static_cast<uint16_t>(inci) ^ 0x8000u);
    }
    friend bool operator<(const RecordKey &a, const RecordKey &b) { return a.Order() < b.Order(); }
    friend bool operator==(const RecordKey &a, const RecordKey &b) {
        return std::tie(a.tag, a.item, a.inci) == std::tie(b.tag, b.item, b.inci);
    }
};

class RecordStore {
public:
    using Map = std::map<RecordKey, Bytes>;

    const Bytes *Find(const RecordKey &key) const;
    Bytes *Find(const RecordKey &key);
    void Put(const RecordKey &key, Bytes bytes);
    bool Erase(const RecordKey &key);

    // The first record of the same tag after `key` in (item number, inci)
    // order; `key` itself need not exist.
    std::optional<RecordKey> Next(const RecordKey &key) const;

    // One more than the highest item number of the tag, at least 1; none
    // when the highest is already the largest item number.
    std::optional<int16_t> NextFreeItem(uint32_t tag) const;

    const Map &All() const { return records_; }

private:
    Map records_;
};

}  // namespace standin
