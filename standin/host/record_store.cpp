#include "standin/host/record_store.h"

#include <limits>

namespace standin {

const Bytes *RecordStore::Find(const RecordKey &key) const {
    const auto found = records_.find(key);
    return found == records_.end() ? nullptr : &found->second;
}

Bytes *RecordStore::Find(const RecordKey &key) {
    const auto found = records_.find(key);
    return found == records_.end() ? nullptr : &found->second;
}

void RecordStore::Put(const RecordKey &key, Bytes bytes) { records_[key] = std::move(bytes); }

bool RecordStore::Erase(const RecordKey &key) { return records_.erase(key) > 0; }

std::optional<RecordKey> RecordStore::Next(const RecordKey &key) const {
    const auto next = records_.upper_bound(key);
    if (next == records_.end() || next->first.tag != key.tag) return std::nullopt;
    return next->first;
}

std::optional<int16_t> RecordStore::NextFreeItem(uint32_t tag) const {
    const RecordKey end{tag, std::numeric_limits<int16_t>::max(),
                        std::numeric_limits<int16_t>::max()};
    auto last = records_.upper_bound(end);
    if (last == records_.begin()) return 1;
    --last;
    if (last->first.tag != tag || last->first.item < 1) return 1;
    if (last->first.item == std::numeric_limits<int16_t>::max()) return std::nullopt;
    return static_cast<int16_t>(last->first.item + 1);
}

}  // namespace standin
