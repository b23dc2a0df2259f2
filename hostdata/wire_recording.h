// A recording of the plug-in's conversation with the host, taken at the
// wire: every call of a bound FX_ function, with the arguments it received,
// the bytes handed over and back, the sizes and the result, as the host saw
// them. The shell starts one for an invoke when the user asks for
// recordings (shell/invoke_recording.h); while none is started, the bound
// functions are the host's own and nothing is recorded.
//
// Recording never changes a call: each is passed to the host exactly as it
// came and its answer returned unchanged. Nothing here throws; a recording
// that runs out of memory or grows past its bound stops, marked incomplete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interface/host_functions.h"
#include "interface/recording/recording_head.h"

namespace hostdata {

class WireRecording {
public:
    // The calls are kept as text of at most `mostBytes`: the first call that
    // does not fit ends the recording.
    explicit WireRecording(std::size_t mostBytes) noexcept : mostBytes_(mostBytes) {}
    ~WireRecording() { Stop(); }
    WireRecording(const WireRecording &) = delete;
    WireRecording &operator=(const WireRecording &) = delete;

    // Records every call made through the bound functions until Stop. One
    // recording at a time: starting one stops any other.
    void Start() noexcept;
    void Stop() noexcept;

    // The calls recorded, each a JSON object on a line of its own indented
    // by four spaces, separated by ",\n": the elements of a JSON list.
    const std::string &CallsText() const { return text_; }
    uint64_t CallsMade() const { return callsMade_; }
    uint64_t CallsRecorded() const { return callsRecorded_; }

    // Why calls are missing from the text, if any are: what the head says.
    using Gap = recording_text::Missing;
    Gap Missing() const { return missing_; }

    // The host functions found absent while recording, as a JSON list of
    // their names in the order of fx_host_api.h's table: ["FX_UpdateLayout"].
    std::string AbsentFunctionsText() const;

    // What the bound functions report; see wire_recording.cpp.
    class Call;
    void Add(const Call &call) noexcept;
    void NoteAbsent(HostFunction function) noexcept {
        absent_ |= 1u << static_cast<unsigned>(function);
    }

private:
    std::size_t mostBytes_;
    std::string text_;
    uint64_t callsMade_ = 0;
    uint64_t callsRecorded_ = 0;
    Gap missing_ = Gap::kNone;
    unsigned absent_ = 0;
};

namespace wire_recording_detail {
extern WireRecording *started;
}

// Whether a recording is started: while none is, this is all a host call
// pays for recording.
inline bool RecordingStarted() { return wire_recording_detail::started != nullptr; }

// While a recording is started: a function of the same signature as the
// host's that passes every call to it and records the call. A function the
// host lacks stays absent, and the recording notes it.
template <HostFunction function>
HostFunctionPointer<function> Recorded(HostFunctionPointer<function> host);

}  // namespace hostdata
