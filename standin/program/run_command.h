// The host program's `run` command: the handshake, one menu command on a
// selection of measures, and what it changed in the staff systems.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "standin/host/host.h"
#include "standin/host/plugin.h"
#include "standin/program/indent_reasons.h"
#include "standin/program/system_change.h"

namespace standin {

// "5-12", or "7" for one measure; throws UsageError otherwise.
MeasureRange ParseMeasureRange(const std::string &text);

// The host's 20-byte selection record for whole measures of the first
// staff slot.
constexpr std::size_t kSelectionRecordSize = 20;
std::array<uint8_t, kSelectionRecordSize> SelectionRecord(const MeasureRange &range);

struct RunOptions {
    uint32_t hostVersion = 0;
    // A menu index, or the menu text of a command the module registers.
    std::string command;
    // None invokes without a selection record.
    std::optional<MeasureRange> measures;
    // Told, before the invoke, of a command the module does not offer at the
    // host version: no real host would invoke it.
    std::function<void(const std::string &)> warn;
};

struct RunResult {
    uint32_t hostVersion = 0;
    uint32_t interfaceVersion = 0;
    uint16_t menuIndex = 0;
    std::optional<std::string> menuText;  // none: the module offers no such index
    std::optional<MeasureRange> measures;
    uint32_t invokeAnswer = 0;
    std::vector<SystemChange> systems;           // with the reason for each new indent
    std::vector<RecordKey> otherRecordsChanged;  // added, removed or rewritten
};

// Throws UsageError when the command text names no command the module
// registers, before anything is invoked.
RunResult RunMenuCommand(Plugin &plugin, Host &host, const RunOptions &options);

// "measures 5 to 12", or "no selection"
std::string SelectionText(const std::optional<MeasureRange> &measures);

// "Indent System/Final Barlines, measures 5 to 12"
std::string RunCaption(const RunResult &result);

}  // namespace standin
