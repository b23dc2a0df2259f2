// What a check promises, in the JSON report and the guide alike: what holds
// whatever the module does, which careless faults it catches, and what a
// module written to deceive it could still do.
#pragma once

namespace standin::validator {

struct ThreatModel {
    const char *guaranteed;
    const char *catches;
    const char *couldStillDo;
};

// The threat model of the checks of `level` (1 to 5).
const ThreatModel &ThreatModelOf(int level);

}  // namespace standin::validator
