// A recording the plug-in made of one invoke (docs/recording.md): the
// handshake, the menu index, the selection record and every host call with
// its bytes, as the host program reads it back to replay or import it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "interface/recording/recording_format.h"
#include "standin/host/call_trace.h"
#include "standin/platform/errors.h"

namespace standin {

// A recording that cannot be used: truncated, incomplete, of another format
// version, holding an impossible size, or no recording at all. The message
// names the file, the place in it as a JSON pointer where there is one, and
// what was wrong.
class RecordingError : public UsageError {
public:
    using UsageError::UsageError;
};

struct RecordedCall {
    // The call as a trace shows it: its arguments as they came and went,
    // the host's answer, and in `data` the bytes handed over (a save or
    // create) or the buffer's bytes after the call (a load).
    HostCall call;
    // Whether the caller passed a buffer whose bytes were recorded.
    bool bytesKnown = false;
};

struct Recording {
    std::string module;  // the version of the module that made it
    uint32_t interfaceVersion = 0;
    uint32_t hostVersion = 0;
    uint16_t menuIndex = 0;
    std::optional<std::array<uint8_t, hostdata::recording_text::kSelectionBytes>>
        selection;                             // none: no selection record
    std::vector<std::string> absentFunctions;  // host functions the host lacked
    uint32_t invokeResult = 0;
    std::vector<RecordedCall> calls;
};

// `fileName` only names the recording in messages. Throws RecordingError.
Recording ParseRecording(const std::string &text, const std::string &fileName);
Recording ReadRecordingFile(const std::string &path);

// The call as the caller made it, without the host's answer:
// "FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000".
std::string AskedText(const HostCall &call);

}  // namespace standin
