// The place inside load host record and save host record where preference
// records that the host keeps as small other records are answered without
// asking the host for the preference tag itself.
#pragma once

#include <cstdint>
#include <optional>

#include "hostdata/host_calls.h"

namespace hostdata {

// The result of the load when the translation answers the tag itself (or
// refuses it, with 0); nothing when the host is to be asked.
std::optional<int16_t> TranslatePreferenceLoad(uint32_t tag, DataKey *key, void *buffer,
                                               int32_t *size);

// The same for a save.
std::optional<int16_t> TranslatePreferenceSave(uint32_t tag, DataKey *key, const void *buffer,
                                               int32_t length);

}  // namespace hostdata
