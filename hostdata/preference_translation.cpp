#include "hostdata/preference_translation.h"

namespace hostdata {

std::optional<int16_t> TranslatePreferenceLoad(uint32_t, DataKey *, void *, int32_t *) {
    return std::nullopt;
}

std::optional<int16_t> TranslatePreferenceSave(uint32_t, DataKey *, const void *, int32_t) {
    return std::nullopt;
}

}  // namespace hostdata
