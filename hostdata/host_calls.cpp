#include "hostdata/host_calls.h"

#include <algorithm>
#include <cstring>

#include "hostdata/host_binding.h"
#include "hostdata/host_version.h"
#include "hostdata/preference_translation.h"
#include "interface/data_tag.h"

namespace hostdata {
namespace {

bool AnyNonzero(const void *buffer, int count) {
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    return std::any_of(bytes, bytes + count, [](uint8_t b) { return b != 0; });
}

// What *size holds, 0 without one.
int32_t SizeOrZero(const int32_t *size) { return size != nullptr ? *size : 0; }

// The probe clears 108 bytes, but never more than the caller says its buffer
// holds.
int ZeroProbeBytes(const int32_t *size) {
    if (size == nullptr) return kZeroProbeBytes;
    return std::clamp<int32_t>(*size, 0, kZeroProbeBytes);
}

// The load of a record that is neither the zero probe nor a preference, for
// a caller that does not ask which words were filled: the host's answer as
// it gives it. Most loads are such loads.
int16_t LoadPlainRecord(uint32_t tag, DataKey *key, void *buffer, int32_t *size, uint32_t version) {
    const FX_LoadEData_fn load = BoundLoadEData();
    return load != nullptr ? load(tag, key, buffer, size, version) : int16_t{0};
}

}  // namespace

int16_t LoadHostRecord(uint32_t tag, DataKey *key, void *buffer, int32_t *size, uint32_t version,
                       SuppliedWords *supplied) {
    if (supplied == nullptr && tag != kZeroProbeTag && !IsPreferenceTag(tag)) {
        return LoadPlainRecord(tag, key, buffer, size, version);
    }
    const FX_LoadEData_fn load = BoundLoadEData();
    if (supplied != nullptr) *supplied = {};
    if (tag == kZeroProbeTag && buffer != nullptr) {
        // Some hosts fail this load yet fill the record; the cleared bytes
        // tell a filled record from an empty one.
        const int probeBytes = ZeroProbeBytes(size);
        std::memset(buffer, 0, static_cast<std::size_t>(probeBytes));
        if (load == nullptr) return 0;
        const int32_t room = SizeOrZero(size);
        if (load(tag, key, buffer, size, version) == 0) {
            return AnyNonzero(buffer, probeBytes) ? 1 : 0;
        }
        // The host is asked again with the size it left, which is the
        // record's full size and may exceed the caller's buffer.
        if (SizeOrZero(size) > room) *size = room;
    }
    // Every load passes here: most are not preference records.
    if (key != nullptr && IsPreferenceTag(tag)) {
        if (const auto answered = TranslatePreferenceLoad(tag, key, buffer, size, supplied)) {
            return *answered;
        }
    }
    if (load == nullptr) return 0;
    const int32_t room = SizeOrZero(size);
    const int16_t result = load(tag, key, buffer, size, version);
    // The host copies no more than the room, whatever size it reports.
    if (supplied != nullptr && result != 0) {
        *supplied = SuppliedWords::FirstBytes(std::min(SizeOrZero(size), room));
    }
    return result;
}

int16_t SaveHostRecord(uint32_t tag, DataKey *key, const void *buffer, int32_t length,
                       uint32_t version) {
    const FX_SaveEData_fn save = BoundSaveEData();
    if (version >= kPreferenceSaveVersionBound && key != nullptr && IsPreferenceTag(tag)) {
        if (const auto answered = TranslatePreferenceSave(tag, key, buffer, length)) {
            return *answered;
        }
    }
    return save != nullptr ? save(tag, key, buffer, length, version) : int16_t{0};
}

int32_t CreateHostRecord(uint32_t tag, DataKey *key, const void *buffer, int32_t length,
                         uint32_t version) {
    const FX_CreateEData_fn create = BoundCreateEData();
    return create ? create(tag, key, buffer, length, version) : 0;
}

int32_t DeleteHostRecord(uint32_t tag, DataKey *key, uint32_t version) {
    const FX_DeleteEData_fn remove = BoundDeleteEData();
    return remove ? remove(tag, key, version) : 0;
}

int32_t NextHostRecord(uint32_t tag, DataKey *key, uint32_t version) {
    const FX_NextEData_fn next = BoundNextEData();
    return next ? next(tag, key, nullptr, nullptr, version) : 0;
}

int32_t SlotToInstrument(uint16_t slot, uint16_t context) {
    const FX_SlotToInst_fn slotToInst = BoundSlotToInst();
    return slotToInst ? slotToInst(slot, context, kFrameworkDataVersion) : 0;
}

void UpdateLayout() {
    if (const FX_UpdateLayout_fn updateLayout = BoundUpdateLayout()) {
        updateLayout(1, 0, kFrameworkDataVersion);
    }
}

int32_t CurrentDocument() {
    const FX_GetCurrentEnigmaDocument_fn currentDocument = BoundGetCurrentEnigmaDocument();
    return currentDocument ? currentDocument(kFrameworkDataVersion) : 0;
}

int32_t CurrentPart() {
    const FX_GetCurrentPartID_fn currentPart = BoundGetCurrentPartID();
    return currentPart ? currentPart(kFrameworkDataVersion) : -1;
}

}  // namespace hostdata
