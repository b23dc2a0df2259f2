// The host's version word, which the handshake records and which decides the
// commands offered, the measure record layout and the preference map rows.
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

namespace detail {
// Set only through SetHostVersion and ForgetHostVersion.
extern uint32_t reportedHostVersion;
}  // namespace detail

// The version the host reported, or kFrameworkDataVersion before it did.
// Read inline: every access to a measure's fields asks for it.
inline uint32_t HostVersion() { return detail::reportedHostVersion; }

// Whether the host reported a version word: a host that never did is offered
// command 0 only, even though its assumed version is high.
bool HostReportedVersion();

void SetHostVersion(uint32_t version);

// Back to the state at load: no version reported. A host never needs this;
// a test process plays one host after another and does.
void ForgetHostVersion();

}  // namespace hostdata
