// The preference objects' own field maps, chosen by tag and by variant
// (score or parts) rather than by item number. Some rows are served only by
// newer hosts: a row whose minimum host version is above the host's is left
// out of the pass, and the buffer keeps its bytes at that row's offset.
// Assemble and scatter through them with AssemblePreferenceRecord and
// ScatterPreferenceRecord (field_map.h).
#pragma once

#include <cstdint>
#include <optional>

#include "hostdata/field_map.h"

namespace hostdata {

// None when the tag has no map for the variant (partsFlag nonzero: parts);
// the object then loads and saves its record whole.
std::optional<FieldMap> FindVersionedFieldMap(uint32_t tag, uint16_t partsFlag);

// Three page format values per variant that the host keeps outside the page
// format record, served as one record of six 16-bit slots.
constexpr int32_t kPageFormatExtraSize = 12;
FieldMap PageFormatExtraFieldMap();

}  // namespace hostdata
