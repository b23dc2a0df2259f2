// The host's version words that the plug-in and the host program both
// know: which version decides the commands offered, the measure record
// layout and the preference map rows.
#pragma once

#include <cstdint>

namespace hostdata {

// Version word of every framework record and of every host call the plug-in
// makes on its own account. Also the host version assumed until the
// handshake reports the real one.
constexpr uint32_t kFrameworkDataVersion = 0x19000000;

// From this host version on, measures can ask for full staff names, and the
// command that acts on it is offered.
constexpr uint32_t kFullNamesHostVersion = 0x10000000;

// From this host version on, measure records have the 30-byte layout.
constexpr uint32_t kLongMeasureHostVersion = 0x12000000;

}  // namespace hostdata
