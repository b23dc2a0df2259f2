// The versioned field maps. Columns as in field_map_tables.cpp, and last the
// lowest host version that serves the row (0 when every host does). The
// rows these maps share with the plain ones, and why three tags' rows
// differ: field_map_rows.h.
#include <cstdint>
#include <iterator>

#include "hostdata/field_map_rows.h"
#include "hostdata/versioned_field_maps.h"
#include "interface/data_tag.h"

namespace hostdata {
namespace {
// clang-format off

// Offsets 58 to 62, between the rows both maps share.
constexpr FieldMapRow kVersionedPfDPOwnRows[3] = {
    // other record     offset word width conversion
    {{'3', '8'}, 0, 0,   58,   0,   2,   kPlainCopy},
    {{'3', '8'}, 0, 0,   60,   1,   2,   kPlainCopy},
    {{'3', '8'}, 0, 0,   62,   2,   2,   kPlainCopy},
};
constexpr auto kVersionedPfDPRows =
    JoinRows(kPfDPLeadingRows, kVersionedPfDPOwnRows, kPfDPTrailingRows);

const FieldMapRow kPfGpScoreRows[3] = {
    // other record     offset word width conversion
    {{'7', '9'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'7', '9'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'7', '9'}, 0, 0,    4,   2,   2,   kPlainCopy},
};

const FieldMapRow kPfGpPartsRows[3] = {
    // other record     offset word width conversion
    {{'8', '0'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'8', '0'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'8', '0'}, 0, 0,    4,   2,   2,   kPlainCopy},
};

const FieldMapRow kPfMIRows[46] = {
    // other record      offset word width conversion      host version
    {{'2', '2'},  0, 0,    0,   4,   2,   kPlainCopy,     0x12050000},
    {{'3', '6'},  0, 0,    2,   0,   2,   kPlainCopy},
    {{'0', '3'},  0, 0,    4,   0,   4,   kHighWordFirst},
    {{'0', '3'},  0, 0,    8,   2,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   10,   0,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   12,   1,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   14,   1,   2,   kInvertedFlag},
    {{'4', '1'},  0, 0,   16,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 0,   18,   1,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   20,   0,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   22,   1,   2,   kPlainCopy},
    {{'2', '7'},  0, 0,   24,   0,   2,   kPlainCopy},
    {{'0', '1'},  0, 0,   26,   0,   2,   kPlainCopy},
    {{'1', '3'},  0, 0,   28,   0,   2,   kPlainCopy},
    {{'1', '5'},  0, 0,   30,   0,   4,   kHighWordFirst},
    {{'4', '4'},  0, 0,   34,   0,   2,   kPlainCopy},
    {{'4', '4'},  0, 0,   36,   1,   2,   kPlainCopy},
    {{'1', '2'},  0, 0,   38,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 2,   40,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 2,   42,   1,   2,   kPlainCopy},
    {{'2', '3'},  0, 0,   44,   0,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   46,   0,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   48,   1,   2,   kPlainCopy},
    {{'3', '1'},  0, 0,   50,   0,   2,   kPlainCopy},
    {{'0', '5'},  0, 0,   52,   0,   2,   kPlainCopy},
    {{'1', '7'},  0, 0,   54,   0,   4,   kHighWordFirst},
    {{'1', '6'},  0, 0,   58,   0,   2,   kPlainCopy},
    {{'6', '2'},  0, 0,   60,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 1,   62,   0,   2,   kPlainCopy},
    {{'7', '6'},  0, 0,   64,   0,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   66,   2,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   68,   3,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   70,   2,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   72,   3,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   74,   2,   2,   kPlainCopy},
    {{'2', '7'},  0, 0,   76,   1,   2,   kPlainCopy},
    {{'0', '1'},  0, 0,   78,   1,   2,   kPlainCopy},
    {{'1', '3'},  0, 0,   80,   1,   2,   kPlainCopy},
    {{'1', '2'},  0, 0,   82,   1,   2,   kPlainCopy},
    {{'2', '3'},  0, 0,   84,   1,   2,   kPlainCopy},
    {{'3', '1'},  0, 0,   86,   1,   2,   kPlainCopy},
    {{'0', '5'},  0, 0,   88,   1,   2,   kPlainCopy},
    {{'1', '6'},  0, 0,   90,   1,   2,   kPlainCopy},
    {{'6', '2'},  0, 0,   92,   1,   2,   kPlainCopy},
    {{'7', '6'},  0, 0,   94,   1,   2,   kPlainCopy},
    {{'F', 'I'}, 10, 0,   96,   5,   2,   kPlainCopy,     0x12000000},
};

const FieldMapRow kVersionedPfMSRows[17] = {
    // other record     offset word width conversion
    {{'9', '4'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,    4,   2,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,    6,   3,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,    8,   4,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,   10,   5,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   12,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   14,   1,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   16,   2,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   18,   3,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   20,   4,   2,   kPlainCopy},
    {{'9', '4'}, 0, 1,   22,   5,   2,   kPlainCopy},
    {{'9', '4'}, 0, 2,   24,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 2,   26,   1,   2,   kPlainCopy},
    {{'9', '4'}, 0, 2,   28,   2,   2,   kPlainCopy},
    {{'4', '1'}, 0, 2,   30,   0,   2,   kPlainCopy},
    {{'4', '1'}, 0, 2,   32,   1,   2,   kPlainCopy},
};

// After the rows both maps share; no low-byte fields.
constexpr FieldMapRow kVersionedPfSSOwnRows[24] = {
    // other record      offset word width conversion
    {{'5', '1'},  0, 0,   28,   0,   4,   kHighWordFirst},
    {{'5', '1'},  0, 0,   32,   2,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   34,   3,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   36,   4,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   38,   5,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   40,   0,   4,   kHighWordFirst},
    {{'5', '3'},  0, 0,   44,   2,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   46,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   48,   4,   2,   kPlainCopy},
    {{'5', '0'},  0, 0,   50,   0,   4,   kHighWordFirst},
    {{'5', '0'},  0, 0,   54,   2,   2,   kPlainCopy},
    {{'5', '0'},  0, 0,   56,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   58,   0,   4,   kHighWordFirst},
    {{'5', '3'},  0, 1,   62,   2,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   64,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   66,   4,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   68,   0,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   70,   1,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   72,   2,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   74,   3,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,   76,   0,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,   78,   1,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,   80,   2,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,   82,   3,   2,   kPlainCopy},
};
constexpr auto kVersionedPfSSRows =
    JoinRows(kPfSSLeadingRows, kVersionedPfSSOwnRows);

// Bytes 4 to 9 of these records belong to no field.
const FieldMapRow kPfSpScoreRows[3] = {
    // other record     offset word width conversion
    {{'0', '4'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'0', '4'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'0', '4'}, 0, 0,   10,   5,   2,   kPlainCopy},
};

const FieldMapRow kPfSpPartsRows[3] = {
    // other record     offset word width conversion
    {{'6', '6'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'6', '6'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'6', '6'}, 0, 0,   10,   5,   2,   kPlainCopy},
};

const FieldMapRow kPfTIRows[26] = {
    // other record     offset word width conversion
    {{'8', '4'}, 0, 0,    0,   0,   4,   kHighWordFirst},
    {{'8', '4'}, 0, 0,    4,   2,   2,   kPlainCopy},
    {{'8', '4'}, 0, 0,    6,   3,   2,   kPlainCopy},
    {{'8', '4'}, 0, 0,    8,   4,   2,   kPlainCopy},
    {{'8', '4'}, 0, 0,   10,   5,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   12,   0,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   14,   1,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   16,   2,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   18,   3,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   20,   4,   2,   kPlainCopy},
    {{'8', '4'}, 0, 1,   22,   5,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   24,   0,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   26,   1,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   28,   2,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   30,   3,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   32,   4,   2,   kPlainCopy},
    {{'8', '4'}, 0, 2,   34,   5,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   36,   0,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   38,   1,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   40,   2,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   42,   3,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   44,   4,   2,   kPlainCopy},
    {{'8', '4'}, 0, 3,   46,   5,   2,   kPlainCopy},
    {{'9', '7'}, 0, 0,   48,   0,   2,   kPlainCopy},
    {{'9', '7'}, 0, 0,   50,   1,   2,   kPlainCopy},
    {{'4', '1'}, 0, 2,   52,   0,   2,   kPlainCopy},
};

const FieldMapRow kPflyRows[16] = {
    // other record     offset word width conversion
    {{'1', '5'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'1', '5'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,    4,   0,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,    6,   1,   2,   kPlainCopy},
    {{'3', '5'}, 0, 0,    8,   0,   2,   kPlainCopy},
    {{'3', '5'}, 0, 0,   10,   1,   2,   kPlainCopy},
    {{'3', '5'}, 0, 0,   12,   2,   2,   kPlainCopy},
    {{'5', '7'}, 0, 0,   14,   0,   2,   kPlainCopy},
    {{'5', '7'}, 0, 0,   16,   1,   2,   kPlainCopy},
    {{'5', '7'}, 0, 0,   18,   2,   2,   kPlainCopy},
    {{'8', '7'}, 0, 0,   20,   0,   2,   kPlainCopy},
    {{'8', '7'}, 0, 0,   22,   1,   2,   kPlainCopy},
    {{'8', '7'}, 0, 0,   24,   2,   2,   kPlainCopy},
    {{'8', '7'}, 0, 0,   26,   3,   2,   kPlainCopy},
    {{'8', '7'}, 0, 0,   28,   4,   2,   kPlainCopy},
    {{'8', '7'}, 0, 1,   30,   0,   2,   kPlainCopy},
};

const FieldMapRow kPfmmRows[13] = {
    // other record     offset word width conversion
    {{'2', '5'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'2', '5'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'2', '5'}, 0, 0,    4,   2,   2,   kPlainCopy},
    {{'2', '5'}, 0, 0,    6,   3,   2,   kPlainCopy},
    {{'2', '5'}, 0, 0,    8,   4,   2,   kPlainCopy},
    {{'2', '5'}, 0, 0,   10,   5,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   12,   0,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   14,   1,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   16,   2,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   18,   3,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   20,   4,   2,   kPlainCopy},
    {{'2', '5'}, 0, 1,   22,   5,   2,   kPlainCopy},
    {{'8', '3'}, 0, 0,   24,   0,   2,   kPlainCopy},
};

const FieldMapRow kPfpSRows[1] = {
    // other record     offset word width conversion
    {{'P', 'G'}, 0, 0,    0,   0,   2,   kPlainCopy},
};

// Slots 8, 10 and 2 hold the score's three values, 4, 6 and 0 the parts'.
const FieldMapRow kPageFormatExtraRows[6] = {
    // other record     offset word width conversion
    {{'0', '1'}, 0, 0,    2,   5,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,    0,   0,   2,   kPlainCopy},
    {{'9', '3'}, 0, 0,    4,   4,   2,   kPlainCopy},
    {{'7', '6'}, 0, 0,    6,   4,   2,   kPlainCopy},
    {{'9', '3'}, 0, 0,    8,   2,   2,   kPlainCopy},
    {{'7', '6'}, 0, 0,   10,   3,   2,   kPlainCopy},
};

enum class Variant { kAny, kScore, kParts };

struct VersionedFieldMap {
    uint32_t tag;
    Variant variant;
    FieldMap map;
};

constexpr uint32_t Pf(char c1, char c2) { return MakeTag('p', 'f', c1, c2); }

// The parts page format has no map: it is loaded whole (four other records).
constexpr VersionedFieldMap kVersionedFieldMaps[] = {
    {Pf('D', 'P'), Variant::kAny, MapOf(kVersionedPfDPRows)},
    {Pf('E', 'X'), Variant::kAny, MapOf(kPfEXRows)},
    {Pf('G', 'p'), Variant::kScore, MapOf(kPfGpScoreRows)},
    {Pf('G', 'p'), Variant::kParts, MapOf(kPfGpPartsRows)},
    {Pf('M', 'I'), Variant::kAny, MapOf(kPfMIRows)},
    {Pf('M', 'S'), Variant::kAny, MapOf(kVersionedPfMSRows)},
    {Pf('P', 'B'), Variant::kAny, MapOf(kPfPBRows)},
    {Pf('P', 'F'), Variant::kScore, MapOf(kPageFormatRows)},
    {Pf('P', 'L'), Variant::kAny, MapOf(kPfPLRows)},
    {Pf('R', 'P'), Variant::kAny, MapOf(kPfRPRows)},
    {Pf('S', 'I'), Variant::kAny, MapOf(kPfSIRows, 21)},
    {Pf('S', 'S'), Variant::kAny, MapOf(kVersionedPfSSRows)},
    {Pf('S', 'p'), Variant::kScore, MapOf(kPfSpScoreRows)},
    {Pf('S', 'p'), Variant::kParts, MapOf(kPfSpPartsRows)},
    {Pf('T', 'I'), Variant::kAny, MapOf(kPfTIRows)},
    {Pf('l', 'y'), Variant::kAny, MapOf(kPflyRows)},
    {Pf('m', 'm'), Variant::kAny, MapOf(kPfmmRows)},
    {Pf('p', 'S'), Variant::kAny, MapOf(kPfpSRows)},
};
// clang-format on

// Where each map's assembly keeps its plan.
FieldMapPlan versionedPlans[std::size(kVersionedFieldMaps)];
FieldMapPlan extraPlan;

bool Serves(Variant variant, uint16_t partsFlag) {
    if (variant == Variant::kAny) return true;
    return (variant == Variant::kParts) == (partsFlag != 0);
}

}  // namespace

std::optional<FieldMap> FindVersionedFieldMap(uint32_t tag, uint16_t partsFlag) {
    for (std::size_t i = 0; i < std::size(kVersionedFieldMaps); ++i) {
        const VersionedFieldMap &entry = kVersionedFieldMaps[i];
        if (entry.tag == tag && Serves(entry.variant, partsFlag)) {
            return WithPlan(entry.map, versionedPlans[i]);
        }
    }
    return std::nullopt;
}

FieldMap PageFormatExtraFieldMap() { return WithPlan(MapOf(kPageFormatExtraRows), extraPlan); }

}  // namespace hostdata
