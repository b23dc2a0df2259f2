// Which version word the host gave in the handshake. The words that decide
// the commands offered, the measure record layout and the preference map
// rows are in interface/host_version_words.h.
#pragma once

#include <cstdint>

#include "interface/host_version_words.h"

namespace hostdata {

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
