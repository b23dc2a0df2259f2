#include "framework/fc_measure.h"
#include "shell/first_system_rules.h"

namespace shell {

Choice ChooseAfterFinalBarline(FCMeasure &measure, int32_t firstMeasure) {
    if (firstMeasure <= 1) return firstMeasure == 1 ? Choice::FirstSystem : Choice::OtherSystem;
    if (!measure.LoadItem(static_cast<uint16_t>(firstMeasure - 1)) || !measure.HoldsBarline()) {
        return Choice::Unknown;
    }
    return measure.BarlineStyle() == FCMeasure::kFinalBarlineStyle ? Choice::FirstSystem
                                                                   : Choice::OtherSystem;
}

}  // namespace shell
