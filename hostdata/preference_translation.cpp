#include "hostdata/preference_translation.h"

#include <cstring>
#include <vector>

#include "hostdata/field_map.h"
#include "hostdata/record_redirection.h"
#include "interface/data_tag.h"

namespace hostdata {
namespace {

int32_t RunBytes(const Redirection &run) { return kOtherRecordSize * run.count; }

DataKey RunKey(const Redirection &run, int i) {
    return {kOtherRecordItem, static_cast<int16_t>(run.firstInci + i)};
}

// Each record of the run gives the words the host supplies of it; the
// buffer keeps its bytes where a record is short or missing.
int16_t LoadRun(const Redirection &run, void *buffer, int32_t *size, SuppliedWords *supplied) {
    if (size == nullptr) return 0;
    if (buffer == nullptr) {
        *size = RunBytes(run);
        return 1;
    }
    if (*size < RunBytes(run)) return 0;
    auto *record = static_cast<uint8_t *>(buffer);
    SuppliedWords filled;
    bool complete = true;
    for (int i = 0; i < run.count; ++i) {
        OtherRecord scratch;
        const int words = LoadOtherRecord(run.otherTag, RunKey(run, i), scratch) / 2 * 2;
        std::memcpy(record + kOtherRecordSize * i, scratch.data(), static_cast<std::size_t>(words));
        filled.Add(kOtherRecordSize * i, words);
        if (words < kOtherRecordSize) complete = false;
    }
    if (supplied != nullptr) *supplied = filled;
    if (supplied != nullptr ? filled.None() : !complete) return 0;
    *size = RunBytes(run);
    return 1;
}

// Every record of the run is written; the save succeeds when all were. A
// record the host reports longer than 12 bytes keeps its bytes past them,
// or is not written when the host cannot be seen to hold them all: a save
// of its first 12 alone would cut it short.
int16_t SaveRun(const Redirection &run, const void *buffer, int32_t length) {
    if (buffer == nullptr || length < RunBytes(run)) return 0;
    const auto *record = static_cast<const uint8_t *>(buffer);
    bool complete = true;
    for (int i = 0; i < run.count; ++i) {
        OtherRecord held;
        int32_t reported = 0;
        LoadOtherRecord(run.otherTag, RunKey(run, i), held, &reported);
        std::vector<uint8_t> tail;
        if (!LoadOtherRecordTail(run.otherTag, RunKey(run, i), reported, tail) ||
            !SaveOtherRecordWithTail(run.otherTag, RunKey(run, i), record + kOtherRecordSize * i,
                                     tail)) {
            complete = false;
        }
    }
    return complete ? 1 : 0;
}

}  // namespace

std::optional<int16_t> TranslatePreferenceLoad(uint32_t tag, DataKey *key, void *buffer,
                                               int32_t *size, SuppliedWords *supplied) {
    if (const auto map = FindFieldMap(tag, key->item)) {
        const bool complete = AssemblePreferenceRecord(buffer, size, *map, supplied);
        if (buffer == nullptr || supplied == nullptr) return complete ? 1 : 0;
        return supplied->None() ? 0 : 1;
    }
    const Redirection run = FindRedirection(tag, key->item);
    if (!run.accepted) return 0;
    if (run.otherTag == 0) return std::nullopt;
    return LoadRun(run, buffer, size, supplied);
}

std::optional<int16_t> TranslatePreferenceSave(uint32_t tag, DataKey *key, const void *buffer,
                                               int32_t length) {
    if (const auto map = FindFieldMap(tag, key->item)) {
        return ScatterPreferenceRecord(buffer, length, *map) ? 1 : 0;
    }
    const Redirection run = FindRedirection(tag, key->item);
    if (!run.accepted) return 0;
    if (run.otherTag == 0) return std::nullopt;
    return SaveRun(run, buffer, length);
}

}  // namespace hostdata
