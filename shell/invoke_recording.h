// A recording of one invoke, made when the user asks for recordings by
// naming a folder in the environment variable KARVO_INDENT_RECORD_DIR: the
// module's version, the handshake, the menu index, the selection record and
// every host call of the command, written as a new file in that folder when
// the invoke ends. docs/recording.md describes the file.
//
// A recording never changes the command: nothing here throws, and a
// recording that cannot be made or written is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace shell {

// Recordings kept in the folder: after each new one the oldest beyond this
// are removed. Only files that hold a recording count, and go: a file of
// the user's own that merely has a recording's name stays.
constexpr std::size_t kKeptRecordings = 50;

// The files: karvo-indent-0000000001.json, numbered on from the highest in
// the folder, so that they sort in the order they were made.
constexpr char kRecordingNamePrefix[] = "karvo-indent-";

class InvokeRecording {
public:
    // Starts recording when KARVO_INDENT_RECORD_DIR names a folder; else
    // reads nothing more and allocates nothing.
    InvokeRecording(uint16_t menuIndex, const void *selection) noexcept;
    ~InvokeRecording();
    InvokeRecording(const InvokeRecording &) = delete;
    InvokeRecording &operator=(const InvokeRecording &) = delete;

    // Stops recording and writes the recording as a new file, whole or not
    // at all, then removes the oldest beyond kKeptRecordings.
    void Finish(uint32_t invokeResult) noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;  // null when not recording
};

}  // namespace shell
