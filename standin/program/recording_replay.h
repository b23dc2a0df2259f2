// The host program's `replay`: a module runs again against a host that
// answers every call exactly as a recording shows, and each call the module
// makes is compared with the recorded one.
#pragma once

#include <cstddef>
#include <string>

#include "interface/host_functions.h"
#include "interface/recording/recording_reader.h"
#include "standin/host/host.h"
#include "standin/program/document_commands.h"

namespace standin {

// Answers each call with the recorded call's answer: its result, the key,
// size and bytes it handed back. From the first call that is not the
// recording's next one, every call fails (answers 0) and changes nothing.
class ScriptedHost : public Host {
public:
    explicit ScriptedHost(const Recording &recording) : recording_(recording) {}

    // The first difference, as the report gives it; empty while there is
    // none.
    const std::string &Difference() const { return difference_; }
    std::size_t CallsMade() const { return made_; }
    std::size_t SavesMade() const { return saves_; }

    // After the invoke: the first recorded call the module did not make.
    void Finish();

#define STANDIN_SCRIPTED_FUNCTION(name, result, parameters, arguments, shape) \
    result name parameters override;
    FX_HOST_FUNCTIONS(STANDIN_SCRIPTED_FUNCTION)
#undef STANDIN_SCRIPTED_FUNCTION

private:
    // The recorded call that `made` is, or null after a difference.
    // `bytesGiven`: the module handed over bytes, or a buffer and its room
    // for the host to fill.
    const RecordedCall *Expect(const HostCall &made, bool bytesGiven);
    // Any function's answer, from the arguments its shape says the host
    // reads and into those it says the host writes.
    template <hostdata::HostFunction function, typename Result, typename... Parameters>
    Result Answer(Parameters... arguments);

    const Recording &recording_;
    std::size_t next_ = 0;
    std::size_t made_ = 0;
    std::size_t saves_ = 0;
    std::string difference_;
};

struct ReplayRequest {
    std::string module;
    std::string recording;
};

// Prints "reproduced: N calls, M saves" and answers 0 when the module made
// every recorded call with the same arguments and bytes and answered as
// recorded; prints the first difference and answers 1 otherwise. Throws
// RecordingError for a recording it cannot read.
int ReplayRecording(const ReplayRequest &request, const Streams &streams);

}  // namespace standin
