#include "hostdata/preference_translation.h"

#include <algorithm>
#include <cstring>

#include "hostdata/data_tag.h"
#include "hostdata/field_map.h"
#include "hostdata/host_version.h"
#include "hostdata/record_redirection.h"

namespace hostdata {
namespace {

int32_t RunBytes(const Redirection &run) { return kOtherRecordSize * run.count; }

DataKey RunKey(const Redirection &run, int i) {
    return {kOtherRecordItem, static_cast<uint16_t>(run.firstInci + i)};
}

int16_t LoadRun(const Redirection &run, void *buffer, int32_t *size) {
    if (size == nullptr) return 0;
    if (buffer == nullptr) {
        *size = RunBytes(run);
        return 1;
    }
    if (*size < RunBytes(run)) return 0;
    auto *record = static_cast<uint8_t *>(buffer);
    for (int i = 0; i < run.count; ++i) {
        // Cleared first: a record the host does not supply reads as zeros.
        OtherRecord scratch{};
        DataKey key = RunKey(run, i);
        int32_t supplied = kOtherRecordSize;
        LoadHostRecord(run.otherTag, &key, scratch.data(), &supplied, kFrameworkDataVersion);
        const int32_t copied = std::clamp<int32_t>(supplied, 0, kOtherRecordSize);
        std::memcpy(record + kOtherRecordSize * i, scratch.data(),
                    static_cast<std::size_t>(copied));
    }
    *size = RunBytes(run);
    return 1;
}

int16_t SaveRun(const Redirection &run, const void *buffer, int32_t length) {
    if (buffer == nullptr || length < RunBytes(run)) return 0;
    const auto *record = static_cast<const uint8_t *>(buffer);
    for (int i = 0; i < run.count; ++i) {
        OtherRecord scratch;
        std::memcpy(scratch.data(), record + kOtherRecordSize * i, scratch.size());
        DataKey key = RunKey(run, i);
        SaveHostRecord(run.otherTag, &key, scratch.data(), kOtherRecordSize,
                       kFrameworkDataVersion);
    }
    return 1;
}

}  // namespace

std::optional<int16_t> TranslatePreferenceLoad(uint32_t tag, DataKey *key, void *buffer,
                                               int32_t *size) {
    // Every load and save passes here: most are not preference records.
    if (key == nullptr || !IsPreferenceTag(tag)) return std::nullopt;
    if (const auto map = FindFieldMap(tag, key->item)) {
        return AssemblePreferenceRecord(buffer, size, *map) ? 1 : 0;
    }
    const Redirection run = FindRedirection(tag, key->item);
    if (!run.accepted) return 0;
    if (run.otherTag == 0) return std::nullopt;
    return LoadRun(run, buffer, size);
}

std::optional<int16_t> TranslatePreferenceSave(uint32_t tag, DataKey *key, const void *buffer,
                                               int32_t length) {
    if (key == nullptr || !IsPreferenceTag(tag)) return std::nullopt;
    if (const auto map = FindFieldMap(tag, key->item)) {
        return ScatterPreferenceRecord(buffer, length, *map) ? 1 : 0;
    }
    const Redirection run = FindRedirection(tag, key->item);
    if (!run.accepted) return 0;
    if (run.otherTag == 0) return std::nullopt;
    return SaveRun(run, buffer, length);
}

}  // namespace hostdata
