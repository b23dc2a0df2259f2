// The first-system rules of the command table, each in a file of its own
// (rule_after_final_barline.cpp, rule_full_names.cpp): what makes a system
// a first system is decided there and nowhere else.
#pragma once

#include <cstdint>

class FCMeasure;

namespace shell {

// Whether a system beginning at a measure counts as a first system; unknown
// when the measure that decides it could not be loaded, or lacks the word
// that decides it, and the system is then left as it is rather than
// indented from stale or empty data.
enum class Choice { FirstSystem, OtherSystem, Unknown };

// FirstSystemRule::AfterFinalBarline: loads the measure before the system's
// first into `measure`.
Choice ChooseAfterFinalBarline(FCMeasure &measure, int32_t firstMeasure);

// FirstSystemRule::FullNamesFlag: loads the system's first measure into
// `measure`.
Choice ChooseForFullNames(FCMeasure &measure, int32_t firstMeasure);

}  // namespace shell
