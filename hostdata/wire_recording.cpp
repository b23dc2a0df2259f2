#include "hostdata/wire_recording.h"

#include <algorithm>

#include "hostdata/recording_text.h"

namespace hostdata {
namespace {

// The host functions, in the order of fx_host_api.h.
enum Function {
    kLoad,
    kSave,
    kCreate,
    kDelete,
    kNext,
    kSlotToInst,
    kUpdateLayout,
    kCurrentDocument,
    kCurrentPart,
    kFunctionCount
};

constexpr const char *kFunctionNames[kFunctionCount] = {
    "FX_LoadEData",       "FX_SaveEData",  "FX_CreateEData",  "FX_DeleteEData",
    "FX_NextEData",       "FX_SlotToInst", "FX_UpdateLayout", "FX_GetCurrentEnigmaDocument",
    "FX_GetCurrentPartID"};

// The host's functions, for the recording functions to pass calls to.
struct HostFunctions {
    FX_LoadEData_fn load = nullptr;
    FX_SaveEData_fn save = nullptr;
    FX_CreateEData_fn create = nullptr;
    FX_DeleteEData_fn remove = nullptr;
    FX_NextEData_fn next = nullptr;
    FX_SlotToInst_fn slotToInst = nullptr;
    FX_UpdateLayout_fn updateLayout = nullptr;
    FX_GetCurrentEnigmaDocument_fn currentDocument = nullptr;
    FX_GetCurrentPartID_fn currentPart = nullptr;
};
HostFunctions host;

void AppendKey(std::string &text, const FxDataKey &key) {
    text += '[';
    recording_text::AppendNumber(text, static_cast<int16_t>(key.item));
    text += ", ";
    recording_text::AppendNumber(text, static_cast<int16_t>(key.inci));
    text += ']';
}

}  // namespace

namespace wire_recording_detail {
WireRecording *started = nullptr;
}

using wire_recording_detail::started;

// One call, taken before it goes to the host (the key and the room it is
// given) and read again after (the key, size and bytes it hands back).
class WireRecording::Call {
public:
    Call(Function function, uint32_t version) : function_(function), version_(version) {}

    void Keyed(uint32_t tag, const FxDataKey *key) {
        keyed_ = true;
        tag_ = tag;
        key_ = key;
        if (key != nullptr) keyBefore_ = *key;
    }

    // A load: the room offered, and the buffer the host fills.
    void Room(const int32_t *size, const void *buffer) {
        loads_ = true;
        size_ = size;
        if (size != nullptr) room_ = *size;
        buffer_ = buffer;
    }

    // A save or create: the bytes handed over.
    void HandsOver(const void *buffer, int32_t length) {
        handsOver_ = true;
        buffer_ = buffer;
        length_ = length;
    }

    void Arguments(int64_t first, int64_t second) {
        arguments_ = true;
        first_ = first;
        second_ = second;
    }

    void Answered(int32_t result) { result_ = result; }

    // The bytes the call hands over or back: a load's room, a save's length.
    std::size_t ByteCount() const {
        if (buffer_ == nullptr || (loads_ && size_ == nullptr)) return 0;
        return static_cast<std::size_t>(std::max(loads_ ? room_ : length_, 0));
    }

    void AppendTo(std::string &text, bool separated) const {
        using recording_text::AppendNumber;
        text += separated ? ",\n    {\"function\": \"" : "    {\"function\": \"";
        text += kFunctionNames[function_];
        text += '"';
        if (keyed_) {
            text += ", \"tag\": ";
            recording_text::AppendTag(text, tag_);
            text += ", \"key\": ";
            if (key_ == nullptr) {
                text += "null";
            } else {
                AppendKey(text, keyBefore_);
                if (key_->item != keyBefore_.item || key_->inci != keyBefore_.inci) {
                    text += ", \"keyAfter\": ";
                    AppendKey(text, *key_);
                }
            }
        }
        if (loads_) {
            text += ", \"room\": ";
            if (size_ == nullptr) {
                text += "null";
            } else {
                AppendNumber(text, room_);
            }
        }
        if (handsOver_) {
            text += ", \"length\": ";
            AppendNumber(text, length_);
        }
        if (arguments_) {
            text += ", \"arguments\": [";
            AppendNumber(text, first_);
            text += ", ";
            AppendNumber(text, second_);
            text += ']';
        }
        text += ", \"version\": ";
        recording_text::AppendHexWord(text, version_);
        text += ", \"result\": ";
        AppendNumber(text, result_);
        if (loads_ && size_ != nullptr) {
            text += ", \"size\": ";
            AppendNumber(text, *size_);
        }
        if (loads_ || handsOver_) {
            text += loads_ ? ", \"handedBack\": " : ", \"handedOver\": ";
            const bool known = buffer_ != nullptr && !(loads_ && size_ == nullptr);
            if (known) {
                recording_text::AppendBytes(text, buffer_, ByteCount());
            } else {
                text += "null";
            }
        }
        text += '}';
    }

private:
    Function function_;
    uint32_t version_;
    bool keyed_ = false;
    uint32_t tag_ = 0;
    const FxDataKey *key_ = nullptr;
    FxDataKey keyBefore_{};
    bool loads_ = false;
    const int32_t *size_ = nullptr;
    int32_t room_ = 0;
    bool handsOver_ = false;
    const void *buffer_ = nullptr;
    int32_t length_ = 0;
    bool arguments_ = false;
    int64_t first_ = 0, second_ = 0;
    int32_t result_ = 0;
};

void WireRecording::Start() noexcept { started = this; }

void WireRecording::Stop() noexcept {
    if (started == this) started = nullptr;
}

std::string WireRecording::AbsentFunctionsText() const {
    std::string text = "[";
    for (int function = 0; function < kFunctionCount; ++function) {
        if ((absent_ >> function & 1u) == 0) continue;
        if (text.size() > 1) text += ", ";
        text += '"';
        text += kFunctionNames[function];
        text += '"';
    }
    return text + "]";
}

void WireRecording::Add(const Call &call) noexcept {
    ++callsMade_;
    if (missing_ != Gap::kNone) return;
    const std::size_t before = text_.size();
    // A buffer whose text could not fit is not read at all.
    if (call.ByteCount() > (mostBytes_ - std::min(before, mostBytes_)) / 3) {
        missing_ = Gap::kPastBound;
        return;
    }
    try {
        call.AppendTo(text_, callsRecorded_ > 0);
    } catch (...) {
        // Only memory can run out here; shrinking allocates nothing.
        text_.resize(before);
        missing_ = Gap::kOutOfMemory;
        return;
    }
    if (text_.size() > mostBytes_) {
        text_.resize(before);
        missing_ = Gap::kPastBound;
        return;
    }
    ++callsRecorded_;
}

namespace {

// A function handed out while recording may still be called once the
// recording stopped; the call then goes to the host unrecorded.
void Note(const WireRecording::Call &call) {
    if (started != nullptr) started->Add(call);
}

// Whether to hand out the recording function in place of the host's: only
// for a function the host has.
bool Substitute(bool present, Function function) {
    if (!present) started->NoteAbsent(function);
    return present;
}

int16_t LoadThrough(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size, uint32_t version) {
    WireRecording::Call call(kLoad, version);
    call.Keyed(tag, key);
    call.Room(size, buffer);
    const int16_t result = host.load(tag, key, buffer, size, version);
    call.Answered(result);
    Note(call);
    return result;
}

int16_t SaveThrough(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                    uint32_t version) {
    WireRecording::Call call(kSave, version);
    call.Keyed(tag, key);
    call.HandsOver(buffer, length);
    const int16_t result = host.save(tag, key, buffer, length, version);
    call.Answered(result);
    Note(call);
    return result;
}

int16_t CreateThrough(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                      uint32_t version) {
    WireRecording::Call call(kCreate, version);
    call.Keyed(tag, key);
    call.HandsOver(buffer, length);
    const int16_t result = host.create(tag, key, buffer, length, version);
    call.Answered(result);
    Note(call);
    return result;
}

int16_t DeleteThrough(uint32_t tag, FxDataKey *key, uint32_t version) {
    WireRecording::Call call(kDelete, version);
    call.Keyed(tag, key);
    const int16_t result = host.remove(tag, key, version);
    call.Answered(result);
    Note(call);
    return result;
}

// The two middle arguments are always null and are not recorded.
int16_t NextThrough(uint32_t tag, FxDataKey *key, void *unused1, void *unused2, uint32_t version) {
    WireRecording::Call call(kNext, version);
    call.Keyed(tag, key);
    const int16_t result = host.next(tag, key, unused1, unused2, version);
    call.Answered(result);
    Note(call);
    return result;
}

int16_t SlotToInstThrough(uint32_t slot, uint32_t context, uint32_t version) {
    WireRecording::Call call(kSlotToInst, version);
    call.Arguments(slot, context);
    const int16_t result = host.slotToInst(slot, context, version);
    call.Answered(result);
    Note(call);
    return result;
}

int32_t UpdateLayoutThrough(int32_t what, int32_t option, uint32_t version) {
    WireRecording::Call call(kUpdateLayout, version);
    call.Arguments(what, option);
    const int32_t result = host.updateLayout(what, option, version);
    call.Answered(result);
    Note(call);
    return result;
}

int16_t CurrentDocumentThrough(uint32_t version) {
    WireRecording::Call call(kCurrentDocument, version);
    const int16_t result = host.currentDocument(version);
    call.Answered(result);
    Note(call);
    return result;
}

int32_t CurrentPartThrough(uint32_t version) {
    WireRecording::Call call(kCurrentPart, version);
    const int32_t result = host.currentPart(version);
    call.Answered(result);
    Note(call);
    return result;
}

}  // namespace

FX_LoadEData_fn RecordedLoadEData(FX_LoadEData_fn function) {
    if (!Substitute(function != nullptr, kLoad)) return function;
    host.load = function;
    return &LoadThrough;
}

FX_SaveEData_fn RecordedSaveEData(FX_SaveEData_fn function) {
    if (!Substitute(function != nullptr, kSave)) return function;
    host.save = function;
    return &SaveThrough;
}

FX_CreateEData_fn RecordedCreateEData(FX_CreateEData_fn function) {
    if (!Substitute(function != nullptr, kCreate)) return function;
    host.create = function;
    return &CreateThrough;
}

FX_DeleteEData_fn RecordedDeleteEData(FX_DeleteEData_fn function) {
    if (!Substitute(function != nullptr, kDelete)) return function;
    host.remove = function;
    return &DeleteThrough;
}

FX_NextEData_fn RecordedNextEData(FX_NextEData_fn function) {
    if (!Substitute(function != nullptr, kNext)) return function;
    host.next = function;
    return &NextThrough;
}

FX_SlotToInst_fn RecordedSlotToInst(FX_SlotToInst_fn function) {
    if (!Substitute(function != nullptr, kSlotToInst)) return function;
    host.slotToInst = function;
    return &SlotToInstThrough;
}

FX_UpdateLayout_fn RecordedUpdateLayout(FX_UpdateLayout_fn function) {
    if (!Substitute(function != nullptr, kUpdateLayout)) return function;
    host.updateLayout = function;
    return &UpdateLayoutThrough;
}

FX_GetCurrentEnigmaDocument_fn RecordedGetCurrentEnigmaDocument(
    FX_GetCurrentEnigmaDocument_fn function) {
    if (!Substitute(function != nullptr, kCurrentDocument)) return function;
    host.currentDocument = function;
    return &CurrentDocumentThrough;
}

FX_GetCurrentPartID_fn RecordedGetCurrentPartID(FX_GetCurrentPartID_fn function) {
    if (!Substitute(function != nullptr, kCurrentPart)) return function;
    host.currentPart = function;
    return &CurrentPartThrough;
}

}  // namespace hostdata
