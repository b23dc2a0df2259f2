#include "standin/host/host.h"

#include <algorithm>
#include <cstring>

#include "interface/data_tag.h"
#include "interface/host_functions.h"
#include "interface/host_version_words.h"
#include "interface/record_bytes.h"

namespace standin {
namespace {

using hostdata::HostFunction;

Host *currentHost = nullptr;

// The 26-byte layout lacks bytes 4 to 7 of the 30-byte one.
constexpr std::size_t kLongMeasureSize = 30;
constexpr std::size_t kShortLayoutGapOffset = 4;
constexpr std::size_t kShortLayoutGapBytes = 4;

bool ShortMeasureLayout(uint32_t version) { return version < hostdata::kLongMeasureHostVersion; }

RecordKey KeyOf(uint32_t tag, const FxDataKey &key) { return {tag, key.item, key.inci}; }

HostCall KeyedCall(HostFunction function, uint32_t tag, const FxDataKey *key, uint32_t version) {
    HostCall call;
    call.function = hostdata::NameOf(function);
    call.tag = tag;
    call.version = version;
    if (key != nullptr) {
        call.hasKey = true;
        call.itemIn = call.itemOut = key->item;
        call.inciIn = call.inciOut = key->inci;
    }
    return call;
}

// A call that hands the host a buffer to store: its length noted and, where
// the arguments name bytes at all, those bytes copied. False where they name
// none, a call the host refuses.
bool WritingCall(HostCall &call, const FxDataKey *key, const void *buffer, int32_t length) {
    call.hasLength = true;
    call.length = length;
    if (key == nullptr || buffer == nullptr || length < 0) return false;
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    call.data.assign(bytes, bytes + length);
    return true;
}

void NoteKeyOut(HostCall &call, const FxDataKey &key) {
    call.itemOut = key.item;
    call.inciOut = key.inci;
}

}  // namespace

Bytes MeasureInLayout(const Bytes &longLayout, uint32_t version) {
    if (!ShortMeasureLayout(version) || longLayout.size() < kShortLayoutGapOffset) {
        return longLayout;
    }
    Bytes shortLayout(longLayout.begin(), longLayout.begin() + kShortLayoutGapOffset);
    const std::size_t rest = kShortLayoutGapOffset + kShortLayoutGapBytes;
    if (longLayout.size() > rest) {
        shortLayout.insert(shortLayout.end(), longLayout.begin() + rest, longLayout.end());
    }
    return shortLayout;
}

Bytes MeasureFromLayout(const Bytes &saved, uint32_t version, const Bytes &longLayout) {
    if (!ShortMeasureLayout(version)) return saved;
    Bytes stored = longLayout;
    stored.resize(std::max(stored.size(), kLongMeasureSize), 0);
    const std::size_t head = std::min(saved.size(), kShortLayoutGapOffset);
    std::copy(saved.begin(), saved.begin() + head, stored.begin());
    const std::size_t tail = std::min(saved.size() - head, stored.size() - 8);
    std::copy(saved.begin() + head, saved.begin() + head + tail,
              stored.begin() + kShortLayoutGapOffset + kShortLayoutGapBytes);
    return stored;
}

void Host::PutMeasure(int16_t number, Bytes longLayout) {
    records_.Put({hostdata::kMeasureTag, number, 0}, std::move(longLayout));
}

int32_t Host::Record(HostCall call) {
    if (!tracing_) return call.result;
    trace_.push_back(std::move(call));
    if (watcher_) watcher_(trace_.back());
    return trace_.back().result;
}

int16_t Host::LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                        uint32_t version) {
    HostCall call = KeyedCall(HostFunction::LoadEData, tag, key, version);
    call.hasSize = size != nullptr;
    call.sizeIn = call.sizeOut = size ? *size : 0;
    const Bytes *stored = key ? records_.Find(KeyOf(tag, *key)) : nullptr;
    if (stored == nullptr || size == nullptr || ShouldFail(call)) {
        return static_cast<int16_t>(Record(call));
    }
    const Bytes served = tag == hostdata::kMeasureTag ? MeasureInLayout(*stored, version) : *stored;
    if (buffer != nullptr && *size > 0 && !served.empty()) {
        const std::size_t copied = std::min(served.size(), static_cast<std::size_t>(*size));
        std::memcpy(buffer, served.data(), copied);
        call.data.assign(served.begin(), served.begin() + static_cast<std::ptrdiff_t>(copied));
    }
    *size = static_cast<int32_t>(served.size());
    if (bendLoadSizes_) bendLoadSizes_(call.sizeIn, size);
    call.sizeOut = *size;
    call.result = 1;
    return static_cast<int16_t>(Record(call));
}

int16_t Host::SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                        uint32_t version) {
    HostCall call = KeyedCall(HostFunction::SaveEData, tag, key, version);
    if (!WritingCall(call, key, buffer, length) || ShouldFail(call)) {
        return static_cast<int16_t>(Record(call));
    }
    const RecordKey recordKey = KeyOf(tag, *key);
    if (const Bytes *earlier = tracing_ ? records_.Find(recordKey) : nullptr) {
        call.replaced = true;
        call.earlier = tag == hostdata::kMeasureTag ? MeasureInLayout(*earlier, version) : *earlier;
    }
    if (tag == hostdata::kMeasureTag) {
        const Bytes *stored = records_.Find(recordKey);
        records_.Put(recordKey, MeasureFromLayout(call.data, version, stored ? *stored : Bytes{}));
    } else {
        records_.Put(recordKey, call.data);
    }
    call.result = 1;
    return static_cast<int16_t>(Record(call));
}

int16_t Host::CreateEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                          uint32_t version) {
    HostCall call = KeyedCall(HostFunction::CreateEData, tag, key, version);
    if (!WritingCall(call, key, buffer, length)) return static_cast<int16_t>(Record(call));
    const auto item = records_.NextFreeItem(tag);
    if (!item || ShouldFail(call)) return static_cast<int16_t>(Record(call));
    key->item = *item;
    key->inci = 0;
    NoteKeyOut(call, *key);
    records_.Put(KeyOf(tag, *key), call.data);
    call.result = 1;
    return static_cast<int16_t>(Record(call));
}

int16_t Host::DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version) {
    HostCall call = KeyedCall(HostFunction::DeleteEData, tag, key, version);
    if (key == nullptr || ShouldFail(call)) return static_cast<int16_t>(Record(call));
    call.result = records_.Erase(KeyOf(tag, *key)) ? 1 : 0;
    return static_cast<int16_t>(Record(call));
}

int16_t Host::NextEData(uint32_t tag, FxDataKey *key, void *, void *, uint32_t version) {
    HostCall call = KeyedCall(HostFunction::NextEData, tag, key, version);
    if (key == nullptr || ShouldFail(call)) return static_cast<int16_t>(Record(call));
    const auto next = records_.Next(KeyOf(tag, *key));
    if (!next) return static_cast<int16_t>(Record(call));
    key->item = next->item;
    key->inci = next->inci;
    NoteKeyOut(call, *key);
    call.result = 1;
    return static_cast<int16_t>(Record(call));
}

int16_t Host::SlotToInst(uint32_t slot, uint32_t context, uint32_t version) {
    HostCall call = KeyedCall(HostFunction::SlotToInst, 0, nullptr, version);
    call.arguments = {static_cast<int32_t>(slot), static_cast<int32_t>(context)};
    if (ShouldFail(call)) return static_cast<int16_t>(Record(call));
    const auto found = slots_.find(static_cast<uint16_t>(slot));
    call.result = found == slots_.end() ? 0 : found->second;
    return static_cast<int16_t>(Record(call));
}

int32_t Host::UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    HostCall call = KeyedCall(HostFunction::UpdateLayout, 0, nullptr, version);
    call.arguments = {what, option};
    if (ShouldFail(call)) return Record(call);
    for (const auto &[item, firstMeasure] : layout_) {
        Bytes *system = records_.Find({hostdata::kStaffSystemTag, item, 0});
        if (system == nullptr || system->size() < kStaffSystemSize) continue;
        if (hostdata::ReadI16(system->data(), kFirstMeasureOffset) == 0) {
            hostdata::WriteU16(system->data(), kFirstMeasureOffset,
                               static_cast<uint16_t>(firstMeasure));
        }
    }
    call.result = 1;
    return Record(call);
}

int16_t Host::GetCurrentEnigmaDocument(uint32_t version) {
    HostCall call = KeyedCall(HostFunction::GetCurrentEnigmaDocument, 0, nullptr, version);
    if (!ShouldFail(call)) call.result = documentId_;
    return static_cast<int16_t>(Record(call));
}

int32_t Host::GetCurrentPartID(uint32_t version) {
    HostCall call = KeyedCall(HostFunction::GetCurrentPartID, 0, nullptr, version);
    if (!ShouldFail(call)) call.result = currentPart_;
    return Record(call);
}

Host *Host::Current() { return currentHost; }

void Host::SetCurrent(Host *host) { currentHost = host; }

}  // namespace standin
