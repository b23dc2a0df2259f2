// What a command may do to the host's document, checked from the calls it
// made: a save or a delete only of a record it loaded, under the key it
// loaded it from, no save longer than what the host gave it, nor shorter
// than the host said the record is, and none that carries another record's
// bytes where the host wrote nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/host/call_trace.h"

namespace standin::validator {

// Every rule the calls of one invoke broke, in the order of the calls, each
// naming the call; `answer` is what the invoke answered.
std::vector<std::string> BrokenRules(const std::vector<HostCall> &calls, uint32_t answer);

}  // namespace standin::validator
