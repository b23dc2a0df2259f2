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

// The threat model of the check of that name: what every check
// guarantees and what a deceiving module could still do, and the careless
// faults this check catches (empty for a name no check has).
ThreatModel ThreatModelOf(const char *check);

}  // namespace standin::validator
