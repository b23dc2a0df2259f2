// Rows that serve a preference tag both inside load and save host record and
// in the preference objects' own versioned maps.
#pragma once

#include <cstddef>

#include "hostdata/field_map.h"

namespace hostdata {

extern const FieldMapRow kPageFormatRows[22];  // 'pfPF', score
extern const FieldMapRow kPfEXRows[25];
extern const FieldMapRow kPfPBRows[11];
extern const FieldMapRow kPfPLRows[7];
// The plain 'pfRP' map is the first 20 of these rows; the versioned one adds
// the last two.
extern const FieldMapRow kPfRPRows[22];
// The versioned 'pfSI' map is the first 21 of these rows.
extern const FieldMapRow kPfSIRows[23];

// The map of a table's first `count` rows, all of them by default.
template <std::size_t N>
constexpr FieldMap MapOf(const FieldMapRow (&rows)[N], std::size_t count = N) {
    return {rows, static_cast<int16_t>(count)};
}

}  // namespace hostdata
