// The after-final-barline rule with its decision turned round, for a module
// whose replay must differ from the plug-in's at the first system it indents
// otherwise. It loads what the plug-in's rule loads, in the same order.
#include "framework/fc_measure.h"
#include "shell/first_system_rules.h"

namespace shell {

Choice ChooseAfterFinalBarline(FCMeasure &measure, int32_t firstMeasure) {
    if (firstMeasure <= 1) return firstMeasure == 1 ? Choice::FirstSystem : Choice::OtherSystem;
    if (!measure.LoadItem(static_cast<uint16_t>(firstMeasure - 1)) || !measure.HoldsBarline()) {
        return Choice::Unknown;
    }
    return measure.BarlineStyle() == FCMeasure::kFinalBarlineStyle ? Choice::OtherSystem
                                                                   : Choice::FirstSystem;
}

}  // namespace shell
