#include "shell/invoke_recording.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "hostdata/host_version.h"
#include "hostdata/wire_recording.h"
#include "interface/finale_extension.h"
#include "interface/recording/recording_head.h"
#include "karvo_version.h"
#include "platform/recording_files.h"

namespace shell {
namespace {

using hostdata::recording_text::kModuleLineStart;
using hostdata::recording_text::kMostRecordingBytes;
using hostdata::recording_text::kRecordingStart;
using hostdata::recording_text::kSelectionBytes;

constexpr char kModuleLine[] = "\n  \"module\": \"" KARVO_VERSION_DOTTED "\"";
static_assert(std::string_view(kModuleLine).substr(0, sizeof kModuleLineStart - 1) ==
                  hostdata::recording_text::kModuleLineStart,
              "the module's line begins as a program looks for it");

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
    hostdata::recording_text::Head head;
    head.missing = calls.Missing();
    head.callsRecorded = calls.CallsRecorded();
    head.moduleLine = kModuleLine;
    head.interfaceVersion = FINALE_EXTENSION_INTERFACE_VERSION;
    head.hostVersion = hostVersion;
    head.menuIndex = menuIndex;
    if (selected) head.selection = selection.data();
    head.absentFunctions = calls.AbsentFunctionsText();
    head.invokeResult = invokeResult;
    head.callsMade = calls.CallsMade();
    return hostdata::recording_text::HeadText(head);
}

void InvokeRecording::State::Write(uint32_t invokeResult) const {
    const std::string head = Head(invokeResult);
    const char *const opening = hostdata::recording_text::CallsOpening(calls.CallsRecorded());
    const char *const closing = hostdata::recording_text::RecordingEnd(calls.CallsRecorded());

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
