#include "framework/fc_measure.h"
#include "hostdata/host_version.h"
#include "shell/first_system_rules.h"

namespace shell {

// The measure is loaded as for every system, but its flag decides only on
// hosts that know it and for systems other than the one at measure 1; only
// there does a measure that could not be read leave the system as it is.
Choice ChooseForFullNames(FCMeasure &measure, int32_t firstMeasure) {
    const bool loaded = firstMeasure != 0 && measure.LoadItem(static_cast<uint16_t>(firstMeasure));
    const bool hostKnowsFullNames = hostdata::HostVersion() >= hostdata::kFullNamesHostVersion;
    if (firstMeasure == 0 || firstMeasure == 1 || !hostKnowsFullNames) {
        return firstMeasure == 1 ? Choice::FirstSystem : Choice::OtherSystem;
    }
    if (!loaded || !measure.HoldsFlags()) return Choice::Unknown;
    return measure.ShowsFullNames() ? Choice::FirstSystem : Choice::OtherSystem;
}

}  // namespace shell
