#include "shell/invoke_recording.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "hostdata/host_version.h"
#include "hostdata/wire_recording.h"
#include "interface/finale_extension.h"
#include "interface/recording/recording_text.h"
#include "karvo_version.h"
#include "platform/recording_files.h"

namespace shell {
namespace {

using hostdata::recording_text::AppendBytes;
using hostdata::recording_text::AppendHexWord;
using hostdata::recording_text::AppendNumber;
using hostdata::recording_text::kFormatVersion;
using hostdata::recording_text::kMostRecordingBytes;

// The part of the selection record the command reads.
constexpr std::size_t kSelectionBytes = 20;

// Room in the file for what surrounds the calls; the calls get the rest.
constexpr std::size_t kHeadRoom = 4096;

constexpr std::size_t kNumberDigits = 10;
constexpr uint64_t kLargestNumber = 9'999'999'999;
constexpr char kNameEnding[] = ".json";

// Numbers tried in turn when other writers take one first.
constexpr int kNameAttempts = 8;

std::string RecordingName(uint64_t number) {
    char digits[kNumberDigits + 1];
    for (std::size_t i = kNumberDigits; i-- > 0; number /= 10) {
        digits[i] = static_cast<char>('0' + number % 10);
    }
    digits[kNumberDigits] = '\0';
    return std::string(kRecordingNamePrefix) + digits + kNameEnding;
}

// The number in a recording's file name (which begins with the prefix); 0
// for any other name.
uint64_t RecordingNumber(const std::string &name) {
    const std::size_t prefix = sizeof kRecordingNamePrefix - 1;
    const std::size_t ending = sizeof kNameEnding - 1;
    if (name.size() != prefix + kNumberDigits + ending ||
        name.compare(prefix + kNumberDigits, ending, kNameEnding) != 0) {
        return 0;
    }
    uint64_t number = 0;
    for (std::size_t i = prefix; i < prefix + kNumberDigits; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + static_cast<uint64_t>(name[i] - '0');
    }
    return number;
}

}  // namespace

struct InvokeRecording::State {
    platform::NativePath folder;
    uint16_t menuIndex = 0;
    uint32_t hostVersion = 0;
    bool selected = false;
    std::array<uint8_t, kSelectionBytes> selection{};
    hostdata::WireRecording calls{kMostRecordingBytes - kHeadRoom};

    std::string Head(uint32_t invokeResult) const;
    void Write(uint32_t invokeResult) const;
};

InvokeRecording::InvokeRecording(uint16_t menuIndex, const void *selection) noexcept {
    try {
        platform::NativePath folder;
        if (!platform::RecordingFolder(folder)) return;
        auto state = std::make_unique<State>();
        state->folder = std::move(folder);
        state->menuIndex = menuIndex;
        state->hostVersion = hostdata::HostVersion();
        state->selected = selection != nullptr;
        if (selection != nullptr) std::memcpy(state->selection.data(), selection, kSelectionBytes);
        state_ = std::move(state);
        state_->calls.Start();
    } catch (...) {
        // Without memory for a recording the command runs unrecorded.
    }
}

InvokeRecording::~InvokeRecording() = default;

void InvokeRecording::Finish(uint32_t invokeResult) noexcept {
    if (!state_) return;
    state_->calls.Stop();
    try {
        state_->Write(invokeResult);
    } catch (...) {
        // A recording without memory to write it is dropped.
    }
    state_.reset();
}

std::string InvokeRecording::State::Head(uint32_t invokeResult) const {
    using Gap = hostdata::WireRecording::Gap;
    std::string head = std::string(kRecordingStart) + "  \"formatVersion\": ";
    AppendNumber(head, kFormatVersion);
    if (calls.Missing() == Gap::kNone) {
        head += ",\n  \"complete\": true";
    } else {
        head += ",\n  \"complete\": false,\n  \"incomplete\": \"";
        head += calls.Missing() == Gap::kPastBound
                    ? "the recording reached its bound of 16 MiB"
                    : "the plug-in ran out of memory for the recording";
        head += ": the calls after call ";
        AppendNumber(head, static_cast<int64_t>(calls.CallsRecorded()));
        head += " are not in it\"";
    }
    head += ",\n  \"module\": \"" KARVO_VERSION_DOTTED "\",\n  \"interfaceVersion\": ";
    AppendHexWord(head, FINALE_EXTENSION_INTERFACE_VERSION);
    head += ",\n  \"hostVersion\": ";
    AppendHexWord(head, hostVersion);
    head += ",\n  \"menuIndex\": ";
    AppendNumber(head, menuIndex);
    head += ",\n  \"selection\": ";
    if (selected) {
        AppendBytes(head, selection.data(), selection.size());
    } else {
        head += "null";
    }
    head += ",\n  \"absentFunctions\": " + calls.AbsentFunctionsText();
    head += ",\n  \"invokeResult\": ";
    AppendNumber(head, invokeResult);
    head += ",\n  \"callsMade\": ";
    AppendNumber(head, static_cast<int64_t>(calls.CallsMade()));
    head += ",\n  \"calls\": [";
    return head;
}

void InvokeRecording::State::Write(uint32_t invokeResult) const {
    const std::string head = Head(invokeResult);
    const bool empty = calls.CallsRecorded() == 0;
    const char *const opening = empty ? "" : "\n";
    const char *const closing = empty ? "]\n}\n" : "\n  ]\n}\n";

    // A folder that cannot be listed lists nothing; whether it takes a file
    // is for the write to find out.
    std::vector<std::string> names;
    platform::FileNamesBeginning(folder, kRecordingNamePrefix, names);
    std::vector<uint64_t> numbers;
    for (const std::string &name : names) {
        if (const uint64_t number = RecordingNumber(name)) numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());

    uint64_t number = numbers.empty() ? 1 : numbers.back() + 1;
    for (int attempt = 0;; ++attempt, ++number) {
        if (attempt == kNameAttempts || number > kLargestNumber) return;
        const platform::NewFile outcome = platform::WriteNewFile(
            folder, RecordingName(number), {head, opening, calls.CallsText(), closing});
        if (outcome == platform::NewFile::kWritten) break;
        if (outcome == platform::NewFile::kFailed) return;
    }
    // The lowest numbers are the oldest. Each file is read only when there
    // may be more than enough to keep.
    numbers.push_back(number);
    if (numbers.size() <= kKeptRecordings) return;
    std::vector<uint64_t> recordings;
    for (const uint64_t each : numbers) {
        // The one just written is known to be a recording.
        if (each != number) {
            const std::string name = RecordingName(each);
            if (!platform::FileBegins(folder, name, kRecordingStart)) continue;
        }
        recordings.push_back(each);
    }
    for (std::size_t i = 0; i + kKeptRecordings < recordings.size(); ++i) {
        platform::RemoveFile(folder, RecordingName(recordings[i]));
    }
}

}  // namespace shell
