// The host program's reader of recordings against any text: it refuses
// what is no whole recording with a RecordingError and nothing else, and a
// recording it takes imports to a document and replays without a
// difference against its own calls.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "interface/recording/recording_reader.h"
#include "standin/document/document.h"
#include "standin/host/trace_reissue.h"
#include "standin/program/recording_import.h"
#include "standin/program/recording_replay.h"

namespace {

// Whether the stand-in's own replay makes the calls as a module did: a key,
// a room and a buffer wherever the recording shows one, and no save of no
// bytes (its buffer would be none).
bool MadeAsRecorded(const standin::Recording &recording) {
    for (const standin::RecordedCall &recorded : recording.calls) {
        const standin::HostCall &call = recorded.call;
        const bool keyed = call.function != "FX_SlotToInst" && call.function != "FX_UpdateLayout" &&
                           call.function != "FX_GetCurrentEnigmaDocument" &&
                           call.function != "FX_GetCurrentPartID";
        if (keyed && !call.hasKey) return false;
        if (call.function == "FX_LoadEData" && (!call.hasSize || !recorded.bytesKnown))
            return false;
        if (call.hasLength && (!recorded.bytesKnown || call.length <= 0)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    standin::Recording recording;
    try {
        recording = standin::ParseRecording(text, "fuzz.json");
    } catch (const standin::RecordingError &) {
        return 0;
    }

    const standin::ImportedDocument imported = standin::ImportDocument(recording);
    try {
        standin::DocumentText(imported.document);
    } catch (const standin::DocumentError &) {
        // A record the document format cannot hold: import says so.
    }

    std::vector<standin::HostCall> calls;
    for (const standin::RecordedCall &recorded : recording.calls) calls.push_back(recorded.call);
    const standin::TraceReissue module(calls);
    if (!module.Problem().empty() || !MadeAsRecorded(recording)) return 0;
    standin::ScriptedHost host(recording);
    module.Run(host);
    host.Finish();
    if (!host.Difference().empty()) {
        std::fprintf(stderr, "a recording's own calls replay with a difference:\n%s",
                     host.Difference().c_str());
        std::abort();
    }
    return 0;
}
