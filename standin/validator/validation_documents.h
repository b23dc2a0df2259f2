// The documents the validator runs commands on, by name, and the selection
// records it hands over with them: ordinary ones, and the unusual ones a
// host may still hand over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/host/host.h"

namespace standin::validator {

struct ValidationDocument {
    Host host;
    uint32_t hostVersion;  // the handshake's
    int16_t lastMeasure;
};

// "short", "long", "part-view", "not-laid-out", "older-host".
const std::vector<std::string> &DocumentNames();
// Throws UsageError for a name not among them.
ValidationDocument BuildDocument(const std::string &name);

// "all", "inner" and "none" (no selection record), then the unusual
// ones: "reversed", "measure-zero", "past-the-end", "largest-measure",
// "slot-zero", "all-zeros", "all-ones".
const std::vector<std::string> &UnusualSelectionNames();
// Short spans of a few measures, where a user selects most often: "start",
// "middle", "end".
const std::vector<std::string> &PartialSelectionNames();
// The 20-byte selection record of that name for a document whose last
// measure is `lastMeasure`; none for "none". Throws UsageError for a name
// it does not know.
std::optional<std::vector<uint8_t>> BuildSelection(const std::string &name, int16_t lastMeasure);

}  // namespace standin::validator
