// A recording's head: every key before the calls, in the order the reader
// and the schema beside this file take them, and the recording's end after
// the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interface/recording/recording_format.h"

namespace hostdata::recording_text {

// Why calls are missing at the end of a recording, if any are.
enum class Missing { kNone, kPastBound, kOutOfMemory };

struct Head {
    Missing missing = Missing::kNone;
    uint64_t callsRecorded = 0;  // the calls the recording holds
    // The line naming the module's version: kModuleLineStart, the version
    // and a closing quote, a literal of the module's.
    const char *moduleLine = "";
    uint32_t interfaceVersion = 0;
    uint32_t hostVersion = 0;
    uint16_t menuIndex = 0;
    const uint8_t *selection = nullptr;  // its first kSelectionBytes; null: none
    std::string absentFunctions = "[]";  // a JSON list of the functions' names
    uint32_t invokeResult = 0;
    uint64_t callsMade = 0;
};

// The recording's text up to the calls' opening bracket.
std::string HeadText(const Head &head);

// What comes between the head and the calls' text, and after the calls'
// text to the recording's end: a recording without calls keeps its list on
// one line.
const char *CallsOpening(uint64_t callsRecorded);
const char *RecordingEnd(uint64_t callsRecorded);

}  // namespace hostdata::recording_text
