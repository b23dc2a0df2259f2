// Rows that serve a preference tag both inside load and save host record and
// in the preference objects' own versioned maps.
//
// The two sets of maps read the same other records for two readers: the
// plain maps (field_map_tables.cpp) serve load and save host record to
// whoever asks for a tag by item number; the versioned maps
// (versioned_field_map_tables.cpp) are the preference objects' own record
// layouts. Where a tag's rows are the same in both, they are here, once.
// Three tags have a different layout in each, and each map keeps its own
// rows for them under a name that says whose they are (kPlain..., kVersioned...):
// - 'pfDP': offsets 58 to 62 come from 'ot01' words 0 and 1 and 'ot77'
//   inci 4 word 0 in the plain layout, from 'ot38' words 0 to 2 in the
//   objects'; the rows before and after them are shared.
// - 'pfSS': the objects' layout has none of the plain one's six low-byte
//   fields (offsets 28 to 48, a four-byte slot each), so every field after
//   them sits 24 bytes earlier; the 13 rows before them are shared.
// - 'pfMS': not the same record at all: the plain map draws 49 fields from
//   23 other records, the objects' map 17 fields from 'ot94' incis 0 to 2
//   and 'ot41' inci 2.
// A row put in the other map would hand its reader a word of another
// record, and nothing would report it.
#pragma once

#include <array>
#include <cstddef>

#include "hostdata/field_map.h"

namespace hostdata {
// clang-format off

extern const FieldMapRow kPageFormatRows[22];  // 'pfPF', score
extern const FieldMapRow kPfEXRows[25];
extern const FieldMapRow kPfPBRows[11];
extern const FieldMapRow kPfPLRows[7];
// The plain 'pfRP' map is the first 20 of these rows; the versioned one adds
// the last two.
extern const FieldMapRow kPfRPRows[22];
// The versioned 'pfSI' map is the first 21 of these rows.
extern const FieldMapRow kPfSIRows[23];

// The rows shared by maps that differ in between or after them are joined
// with each map's own at compile time, so they are defined here.
// 'pfDP', offsets 0 to 56.
inline constexpr FieldMapRow kPfDPLeadingRows[27] = {
    // other record     offset word width conversion
    {{'2', '1'}, 0, 0,    0,   0,   4,   kHighWordFirst},
    {{'2', '1'}, 0, 0,    4,   2,   2,   kPlainCopy},
    {{'2', '1'}, 0, 0,    6,   3,   2,   kPlainCopy},
    {{'5', '9'}, 0, 0,    8,   0,   2,   kPlainCopy},
    {{'5', '9'}, 0, 0,   10,   1,   2,   kPlainCopy},
    {{'2', '2'}, 0, 0,   12,   0,   2,   kPlainCopy},
    {{'2', '2'}, 0, 0,   14,   1,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,   16,   0,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,   18,   1,   2,   kPlainCopy},
    {{'6', '8'}, 0, 0,   20,   0,   2,   kPlainCopy},
    {{'6', '8'}, 0, 0,   22,   1,   2,   kPlainCopy},
    {{'2', '0'}, 0, 0,   24,   0,   2,   kPlainCopy},
    {{'2', '0'}, 0, 0,   26,   1,   2,   kPlainCopy},
    {{'1', '3'}, 0, 0,   28,   0,   2,   kPlainCopy},
    {{'1', '3'}, 0, 0,   30,   1,   2,   kPlainCopy},
    {{'1', '9'}, 0, 0,   32,   0,   2,   kPlainCopy},
    {{'1', '9'}, 0, 0,   34,   1,   2,   kPlainCopy},
    {{'2', '7'}, 0, 0,   36,   0,   2,   kPlainCopy},
    {{'2', '7'}, 0, 0,   38,   1,   2,   kPlainCopy},
    {{'1', '8'}, 0, 0,   40,   0,   2,   kPlainCopy},
    {{'1', '8'}, 0, 0,   42,   1,   2,   kPlainCopy},
    {{'3', '9'}, 0, 0,   44,   0,   2,   kPlainCopy},
    {{'3', '9'}, 0, 0,   46,   1,   2,   kPlainCopy},
    {{'6', '5'}, 0, 0,   48,   0,   4,   kHighWordFirst},
    {{'6', '5'}, 0, 0,   52,   2,   2,   kPlainCopy},
    {{'1', '4'}, 0, 0,   54,   0,   2,   kPlainCopy},
    {{'1', '4'}, 0, 0,   56,   1,   2,   kPlainCopy},
};

// 'pfDP', offsets 64 to 74.
inline constexpr FieldMapRow kPfDPTrailingRows[6] = {
    // other record     offset word width conversion
    {{'2', '1'}, 0, 0,   64,   4,   2,   kPlainCopy},
    {{'5', '9'}, 0, 0,   66,   2,   2,   kPlainCopy},
    {{'2', '2'}, 0, 0,   68,   2,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,   70,   2,   2,   kPlainCopy},
    {{'6', '8'}, 0, 0,   72,   2,   2,   kPlainCopy},
    {{'2', '0'}, 0, 0,   74,   2,   2,   kPlainCopy},
};

// 'pfSS', offsets 0 to 26.
inline constexpr FieldMapRow kPfSSLeadingRows[13] = {
    // other record      offset word width conversion
    {{'9', '2'},  0, 0,    0,   0,   4,   kHighWordFirst},
    {{'9', '2'},  0, 0,    4,   2,   2,   kPlainCopy},
    {{'9', '2'},  0, 0,    6,   3,   2,   kPlainCopy},
    {{'9', '2'},  0, 0,    8,   4,   2,   kPlainCopy},
    {{'9', '2'},  0, 0,   10,   5,   2,   kPlainCopy},
    {{'F', 'I'}, 11, 0,   12,   0,   2,   kPlainCopy},
    {{'F', 'I'}, 11, 0,   14,   1,   2,   kPlainCopy},
    {{'F', 'I'}, 11, 0,   16,   2,   2,   kPlainCopy},
    {{'F', 'I'}, 11, 0,   18,   3,   2,   kPlainCopy},
    {{'F', 'I'}, 12, 0,   20,   0,   2,   kPlainCopy},
    {{'F', 'I'}, 12, 0,   22,   1,   2,   kPlainCopy},
    {{'F', 'I'}, 12, 0,   24,   2,   2,   kPlainCopy},
    {{'F', 'I'}, 12, 0,   26,   3,   2,   kPlainCopy},
};
// clang-format on

// One map's rows: runs of rows, one after the other, in the order given.
template <std::size_t... N>
constexpr std::array<FieldMapRow, (N + ...)> JoinRows(const FieldMapRow (&...runs)[N]) {
    std::array<FieldMapRow, (N + ...)> rows{};
    std::size_t at = 0;
    const auto append = [&rows, &at](const FieldMapRow *run, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) rows[at++] = run[i];
    };
    (append(runs, N), ...);
    return rows;
}

// The map of a table's first `count` rows, all of them by default.
template <std::size_t N>
constexpr FieldMap MapOf(const FieldMapRow (&rows)[N], std::size_t count = N) {
    return {rows, static_cast<int16_t>(count)};
}
template <std::size_t N>
constexpr FieldMap MapOf(const std::array<FieldMapRow, N> &rows) {
    return {rows.data(), static_cast<int16_t>(N)};
}

}  // namespace hostdata
