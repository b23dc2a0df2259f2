// The place inside load host record and save host record where preference
// records that the host keeps as small other records are answered without
// asking the host for the preference tag itself. Both are asked about
// preference tags ('pf' and two more characters) with a key only.
#pragma once

#include <cstdint>
#include <optional>

#include "hostdata/host_calls.h"
#include "hostdata/supplied_words.h"

namespace hostdata {

// The result of the load when the translation answers the tag itself (or
// refuses it, with 0); nothing when the host is to be asked. Without
// `supplied` a record loads only when the host supplies all of it; with it,
// a record loads when the host supplies any of it, and `supplied` (which
// arrives cleared) receives which words.
std::optional<int16_t> TranslatePreferenceLoad(uint32_t tag, DataKey *key, void *buffer,
                                               int32_t *size, SuppliedWords *supplied = nullptr);

// The same for a save.
std::optional<int16_t> TranslatePreferenceSave(uint32_t tag, DataKey *key, const void *buffer,
                                               int32_t length);

}  // namespace hostdata
