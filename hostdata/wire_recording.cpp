#include "hostdata/wire_recording.h"

#include <algorithm>
#include <tuple>

#include "interface/recording/recording_text.h"

namespace hostdata {
namespace {

static_assert(kHostFunctionCount <= 32, "the absent functions are bits of one word");

// The host's own function, for the recording function to pass calls to.
template <HostFunction function>
HostFunctionPointer<function> host = nullptr;

void AppendKey(std::string &text, const FxDataKey &key) {
    text += '[';
    recording_text::AppendNumber(text, key.item);
    text += ", ";
    recording_text::AppendNumber(text, key.inci);
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
    Call(HostFunction function, uint32_t version) : function_(function), version_(version) {}

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
        text += NameOf(function_);
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
    HostFunction function_;
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
    for (std::size_t function = 0; function < kHostFunctionCount; ++function) {
        if ((absent_ >> function & 1u) == 0) continue;
        if (text.size() > 1) text += ", ";
        text += '"';
        text += kHostFunctions[function].name;
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

// Passes a call to the host, recording the arguments the host reads before
// and what it wrote after. A Steps call's two null pointers are not recorded.
template <HostFunction function, typename Pointer = HostFunctionPointer<function>>
struct Through;

template <HostFunction function, typename Result, typename... Parameters>
struct Through<function, Result (*)(Parameters...)> {
    static Result Pass(Parameters... arguments) {
        constexpr CallShape shape = FactsOf(function).shape;
        const auto given = std::tie(arguments...);
        WireRecording::Call call(function, std::get<sizeof...(Parameters) - 1>(given));
        if constexpr (IsKeyed(shape)) call.Keyed(std::get<0>(given), std::get<1>(given));
        if constexpr (shape == CallShape::FillsBuffer) {
            call.Room(std::get<3>(given), std::get<2>(given));
        }
        if constexpr (shape == CallShape::TakesBuffer) {
            call.HandsOver(std::get<2>(given), std::get<3>(given));
        }
        if constexpr (shape == CallShape::TwoNumbers) {
            call.Arguments(std::get<0>(given), std::get<1>(given));
        }
        const Result result = host<function>(arguments...);
        call.Answered(result);
        Note(call);
        return result;
    }
};

}  // namespace

template <HostFunction function>
HostFunctionPointer<function> Recorded(HostFunctionPointer<function> own) {
    if (own == nullptr) {
        started->NoteAbsent(function);
        return own;
    }
    host<function> = own;
    return &Through<function>::Pass;
}

#define HOSTDATA_RECORDED(name, result, parameters, arguments, shape) \
    template FX_##name##_fn Recorded<HostFunction::name>(FX_##name##_fn);
FX_HOST_FUNCTIONS(HOSTDATA_RECORDED)
#undef HOSTDATA_RECORDED

}  // namespace hostdata
