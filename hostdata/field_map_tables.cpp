// The field maps of the preference tags that the host keeps as other
// records. Columns: other record ('ot' + two characters, item number with 0
// for -2, inci), byte offset in the preference record, word index in the
// other record, width in bytes, conversion. The rows these maps share with
// the versioned ones, and why three tags' rows differ: field_map_rows.h.
#include <cstdint>
#include <iterator>

#include "hostdata/field_map.h"
#include "hostdata/field_map_rows.h"
#include "interface/data_tag.h"

namespace hostdata {

// clang-format off
// Offset 28 is the system indent, offset 46 the first-system indent.
// Offset 30 takes word 3 of 'ot17' and offset 32 word 2.
const FieldMapRow kPageFormatRows[22] = {
    // other record     offset word width conversion
    {{'1', '4'}, 0, 0,    0,   0,   4,   kHighWordFirst},
    {{'1', '5'}, 0, 0,    4,   2,   4,   kHighWordFirst},
    {{'3', '9'}, 0, 0,    8,   2,   2,   kPlainCopy},
    {{'1', '6'}, 0, 0,   10,   0,   2,   kPlainCopy},
    {{'1', '6'}, 0, 0,   12,   1,   2,   kPlainCopy},
    {{'1', '6'}, 0, 0,   14,   2,   2,   kPlainCopy},
    {{'1', '6'}, 0, 0,   16,   3,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   18,   0,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   20,   1,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   22,   2,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   24,   3,   2,   kPlainCopy},
    {{'1', '7'}, 0, 0,   26,   0,   2,   kPlainCopy},
    {{'1', '7'}, 0, 0,   28,   1,   2,   kPlainCopy},
    {{'1', '7'}, 0, 0,   30,   3,   2,   kPlainCopy},
    {{'1', '7'}, 0, 0,   32,   2,   2,   kPlainCopy},
    {{'0', '1'}, 0, 0,   34,   4,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   36,   4,   2,   kPlainCopy},
    {{'1', '3'}, 0, 0,   38,   5,   2,   kPlainCopy},
    {{'1', '3'}, 0, 0,   40,   4,   2,   kPlainCopy},
    {{'0', '2'}, 0, 0,   42,   5,   2,   kPlainCopy},
    {{'0', '3'}, 0, 0,   44,   0,   2,   kPlainCopy},
    {{'0', '3'}, 0, 0,   46,   1,   2,   kPlainCopy},
};

const FieldMapRow kPfEXRows[25] = {
    // other record     offset word width conversion
    {{'7', '7'}, 0, 4,    0,   0,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,    2,   1,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,    4,   2,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,    6,   3,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,    8,   4,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,   10,   5,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   12,   0,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   14,   1,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   16,   2,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   18,   3,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   20,   4,   2,   kPlainCopy},
    {{'7', '7'}, 0, 5,   22,   5,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   24,   0,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   26,   1,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   28,   2,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   30,   3,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   32,   4,   2,   kPlainCopy},
    {{'7', '7'}, 0, 6,   34,   5,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   36,   0,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   38,   1,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   40,   2,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   42,   3,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   44,   4,   2,   kPlainCopy},
    {{'7', '7'}, 0, 7,   46,   5,   2,   kPlainCopy},
    {{'7', '7'}, 0, 8,   48,   0,   2,   kPlainCopy},
};

const FieldMapRow kPfPBRows[11] = {
    // other record     offset word width conversion
    {{'6', '5'}, 0, 0,    0,   0,   4,   kHighWordFirst},
    {{'6', '5'}, 0, 0,    4,   2,   4,   kHighWordFirst},
    {{'6', '5'}, 0, 0,    8,   4,   4,   kHighWordFirst},
    {{'6', '0'}, 0, 0,   12,   0,   4,   kHighWordFirst},
    {{'6', '0'}, 0, 0,   16,   2,   4,   kHighWordFirst},
    {{'6', '1'}, 0, 0,   20,   0,   4,   kHighWordFirst},
    {{'6', '1'}, 0, 0,   24,   2,   4,   kHighWordFirst},
    {{'6', '4'}, 0, 0,   28,   0,   4,   kHighWordFirst},
    {{'6', '4'}, 0, 0,   32,   2,   4,   kHighWordFirst},
    {{'4', '5'}, 0, 0,   36,   0,   4,   kHighWordFirst},
    {{'4', '5'}, 0, 0,   40,   2,   4,   kHighWordFirst},
};

const FieldMapRow kPfPLRows[7] = {
    // other record     offset word width conversion
    {{'1', '3'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'1', '3'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'3', '9'}, 0, 0,    4,   0,   2,   kPlainCopy},
    {{'3', '9'}, 0, 0,    6,   1,   2,   kPlainCopy},
    {{'3', '6'}, 0, 0,    8,   0,   2,   kPlainCopy},
    {{'3', '6'}, 0, 0,   10,   1,   2,   kPlainCopy},
    {{'3', '7'}, 0, 0,   12,   0,   2,   kPlainCopy},
};

const FieldMapRow kPfRPRows[22] = {
    // other record     offset word width conversion
    {{'7', '0'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'7', '0'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'7', '0'}, 0, 0,    4,   2,   2,   kPlainCopy},
    {{'7', '0'}, 0, 0,    6,   3,   2,   kPlainCopy},
    {{'7', '0'}, 0, 0,    8,   4,   2,   kPlainCopy},
    {{'7', '1'}, 0, 0,   10,   0,   2,   kPlainCopy},
    {{'7', '1'}, 0, 0,   12,   1,   2,   kPlainCopy},
    {{'7', '1'}, 0, 0,   14,   2,   2,   kPlainCopy},
    {{'7', '1'}, 0, 0,   16,   3,   2,   kPlainCopy},
    {{'7', '1'}, 0, 0,   18,   4,   2,   kPlainCopy},
    {{'0', '5'}, 0, 0,   20,   0,   2,   kPlainCopy},
    {{'0', '5'}, 0, 0,   22,   1,   2,   kPlainCopy},
    {{'0', '5'}, 0, 0,   24,   2,   2,   kPlainCopy},
    {{'0', '5'}, 0, 0,   26,   3,   2,   kPlainCopy},
    {{'7', '2'}, 0, 0,   28,   0,   2,   kPlainCopy},
    {{'7', '2'}, 0, 0,   30,   1,   2,   kPlainCopy},
    {{'7', '2'}, 0, 0,   32,   2,   2,   kPlainCopy},
    {{'7', '2'}, 0, 0,   34,   3,   2,   kPlainCopy},
    {{'7', '6'}, 0, 0,   36,   0,   2,   kPlainCopy},
    {{'7', '6'}, 0, 0,   38,   1,   2,   kPlainCopy},
    {{'6', '9'}, 0, 0,   40,   1,   2,   kPlainCopy},
    {{'2', '0'}, 0, 0,   42,   3,   2,   kPlainCopy},
};

const FieldMapRow kPfSIRows[23] = {
    // other record     offset word width conversion
    {{'6', '7'}, 0, 0,    0,   0,   4,   kHighWordFirst},
    {{'5', '8'}, 0, 0,    4,   0,   2,   kPlainCopy},
    {{'6', '8'}, 0, 0,    6,   0,   2,   kPlainCopy},
    {{'6', '2'}, 0, 0,    8,   0,   2,   kPlainCopy},
    {{'0', '3'}, 0, 0,   10,   0,   4,   kHighWordFirst},
    {{'2', '3'}, 0, 0,   14,   0,   2,   kPlainCopy},
    {{'1', '4'}, 0, 0,   16,   0,   2,   kPlainCopy},
    {{'6', '4'}, 0, 0,   18,   0,   2,   kPlainCopy},
    {{'2', '7'}, 0, 0,   20,   0,   2,   kPlainCopy},
    {{'5', '9'}, 0, 0,   22,   0,   2,   kPlainCopy},
    {{'0', '1'}, 0, 0,   24,   0,   2,   kPlainCopy},
    {{'9', '7'}, 0, 0,   26,   0,   4,   kHighWordFirst},
    {{'2', '0'}, 0, 0,   30,   0,   2,   kPlainCopy},
    {{'2', '1'}, 0, 0,   32,   0,   2,   kPlainCopy},
    {{'6', '7'}, 0, 0,   34,   2,   2,   kPlainCopy},
    {{'5', '8'}, 0, 0,   36,   1,   2,   kPlainCopy},
    {{'6', '8'}, 0, 0,   38,   1,   2,   kPlainCopy},
    {{'6', '2'}, 0, 0,   40,   1,   2,   kPlainCopy},
    {{'2', '3'}, 0, 0,   42,   1,   2,   kPlainCopy},
    {{'1', '4'}, 0, 0,   44,   1,   2,   kPlainCopy},
    {{'6', '4'}, 0, 0,   46,   1,   2,   kPlainCopy},
    {{'6', '9'}, 0, 0,   48,   0,   4,   kHighWordFirst},
    {{'6', '9'}, 0, 0,   52,   2,   2,   kPlainCopy},
};

namespace {

const FieldMapRow kPf05Rows[11] = {
    // other record     offset word width conversion
    {{'6', '9'}, 0, 0,    0,   0,   2,   kPlainCopy},
    {{'6', '9'}, 0, 0,    2,   1,   2,   kPlainCopy},
    {{'2', '0'}, 0, 0,    4,   0,   2,   kPlainCopy},
    {{'3', '9'}, 0, 0,    6,   0,   2,   kPlainCopy},
    {{'3', '8'}, 0, 0,    8,   0,   2,   kPlainCopy},
    {{'2', '3'}, 0, 0,   10,   0,   2,   kPlainCopy},
    {{'5', '6'}, 0, 0,   12,   0,   2,   kPlainCopy},
    {{'4', '1'}, 0, 2,   14,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 0,   16,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 2,   18,   0,   2,   kPlainCopy},
    {{'9', '4'}, 0, 2,   20,   1,   2,   kPlainCopy},
};

// Offsets 58 to 62, between the rows both maps share.
constexpr FieldMapRow kPlainPfDPOwnRows[3] = {
    // other record     offset word width conversion
    {{'0', '1'}, 0, 0,   58,   0,   2,   kPlainCopy},
    {{'0', '1'}, 0, 0,   60,   1,   2,   kPlainCopy},
    {{'7', '7'}, 0, 4,   62,   0,   2,   kPlainCopy},
};
constexpr auto kPlainPfDPRows =
    JoinRows(kPfDPLeadingRows, kPlainPfDPOwnRows, kPfDPTrailingRows);

const FieldMapRow kPlainPfMSRows[49] = {
    // other record      offset word width conversion
    {{'3', '6'},  0, 0,    0,   0,   2,   kPlainCopy},
    {{'0', '3'},  0, 0,    2,   0,   4,   kHighWordFirst},
    {{'0', '3'},  0, 0,    6,   2,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,    8,   0,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   10,   1,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   12,   1,   2,   kInvertedFlag},
    {{'4', '1'},  0, 0,   14,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 0,   16,   1,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   18,   0,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   20,   1,   2,   kPlainCopy},
    {{'2', '7'},  0, 0,   22,   0,   2,   kPlainCopy},
    {{'0', '1'},  0, 0,   24,   0,   2,   kPlainCopy},
    {{'1', '3'},  0, 0,   26,   0,   2,   kPlainCopy},
    {{'1', '5'},  0, 0,   28,   0,   4,   kHighWordFirst},
    {{'4', '4'},  0, 0,   32,   0,   2,   kPlainCopy},
    {{'4', '4'},  0, 0,   34,   1,   2,   kPlainCopy},
    {{'1', '2'},  0, 0,   36,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 2,   38,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 2,   40,   1,   2,   kPlainCopy},
    {{'2', '3'},  0, 0,   42,   0,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   44,   0,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   46,   1,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   48,   2,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   50,   3,   2,   kPlainCopy},
    {{'1', '9'},  0, 0,   52,   4,   2,   kLowByte},
    {{'1', '9'},  0, 0,   54,   5,   2,   kLowByte},
    {{'3', '1'},  0, 0,   56,   0,   2,   kPlainCopy},
    {{'0', '5'},  0, 0,   58,   0,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   60,   0,   2,   kPlainCopy},
    {{'7', '6'},  0, 0,   62,   0,   2,   kPlainCopy},
    {{'1', '7'},  0, 0,   64,   0,   4,   kHighWordFirst},
    {{'1', '6'},  0, 0,   68,   0,   2,   kPlainCopy},
    {{'6', '2'},  0, 0,   70,   0,   2,   kPlainCopy},
    {{'4', '1'},  0, 1,   72,   0,   2,   kPlainCopy},
    {{'F', 'I'}, 10, 0,   74,   5,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   76,   2,   2,   kPlainCopy},
    {{'3', '6'},  0, 0,   78,   3,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   80,   2,   2,   kPlainCopy},
    {{'0', '9'},  0, 0,   82,   3,   2,   kPlainCopy},
    {{'2', '0'},  0, 0,   84,   2,   2,   kPlainCopy},
    {{'2', '7'},  0, 0,   86,   1,   2,   kPlainCopy},
    {{'0', '1'},  0, 0,   88,   1,   2,   kPlainCopy},
    {{'1', '3'},  0, 0,   90,   1,   2,   kPlainCopy},
    {{'1', '2'},  0, 0,   92,   1,   2,   kPlainCopy},
    {{'2', '3'},  0, 0,   94,   1,   2,   kPlainCopy},
    {{'3', '1'},  0, 0,   96,   1,   2,   kPlainCopy},
    {{'0', '5'},  0, 0,   98,   1,   2,   kPlainCopy},
    {{'1', '6'},  0, 0,  100,   1,   2,   kPlainCopy},
    {{'6', '2'},  0, 0,  102,   1,   2,   kPlainCopy},
};

// After the rows both maps share. The 16-bit fields taken from a word's
// low byte each sit in a four-byte slot; the two bytes after them belong to
// no field.
constexpr FieldMapRow kPlainPfSSOwnRows[30] = {
    // other record      offset word width conversion
    {{'1', '2'},  0, 0,   28,   5,   2,   kLowByte},
    {{'1', '1'},  0, 0,   32,   5,   2,   kLowByte},
    {{'6', '9'},  0, 0,   36,   4,   2,   kLowByte},
    {{'6', '9'},  0, 0,   40,   5,   2,   kLowByte},
    {{'6', '9'},  0, 0,   44,   2,   2,   kLowByte},
    {{'6', '9'},  0, 0,   48,   3,   2,   kLowByte},
    {{'5', '1'},  0, 0,   52,   0,   4,   kHighWordFirst},
    {{'5', '1'},  0, 0,   56,   2,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   58,   3,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   60,   4,   2,   kPlainCopy},
    {{'5', '1'},  0, 0,   62,   5,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   64,   0,   4,   kHighWordFirst},
    {{'5', '3'},  0, 0,   68,   2,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   70,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 0,   72,   4,   2,   kPlainCopy},
    {{'5', '0'},  0, 0,   74,   0,   4,   kHighWordFirst},
    {{'5', '0'},  0, 0,   78,   2,   2,   kPlainCopy},
    {{'5', '0'},  0, 0,   80,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   82,   0,   4,   kHighWordFirst},
    {{'5', '3'},  0, 1,   86,   2,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   88,   3,   2,   kPlainCopy},
    {{'5', '3'},  0, 1,   90,   4,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   92,   0,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   94,   1,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   96,   2,   2,   kPlainCopy},
    {{'9', '3'},  0, 0,   98,   3,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,  100,   0,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,  102,   1,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,  104,   2,   2,   kPlainCopy},
    {{'9', '7'},  0, 1,  106,   3,   2,   kPlainCopy},
};
constexpr auto kPlainPfSSRows = JoinRows(kPfSSLeadingRows, kPlainPfSSOwnRows);

struct TaggedFieldMap {
    uint32_t tag;
    FieldMap map;
};

constexpr TaggedFieldMap kFieldMaps[] = {
    {MakeTag('p', 'f', '0', '5'), MapOf(kPf05Rows)},
    {MakeTag('p', 'f', 'D', 'P'), MapOf(kPlainPfDPRows)},
    {MakeTag('p', 'f', 'E', 'X'), MapOf(kPfEXRows)},
    {MakeTag('p', 'f', 'M', 'S'), MapOf(kPlainPfMSRows)},
    {MakeTag('p', 'f', 'P', 'B'), MapOf(kPfPBRows)},
    {MakeTag('p', 'f', 'P', 'L'), MapOf(kPfPLRows)},
    {MakeTag('p', 'f', 'R', 'P'), MapOf(kPfRPRows, 20)},
    {MakeTag('p', 'f', 'S', 'I'), MapOf(kPfSIRows)},
    {MakeTag('p', 'f', 'S', 'S'), MapOf(kPlainPfSSRows)},
};
// clang-format on

// Where each map's assembly keeps its plan.
FieldMapPlan pageFormatPlan;
FieldMapPlan plans[std::size(kFieldMaps)];

}  // namespace

std::optional<FieldMap> FindFieldMap(uint32_t tag, uint16_t item) {
    // The parts page format is not mapped: it is four whole other records.
    if (tag == kPageFormatTag) {
        if (item != 0) return std::nullopt;
        return WithPlan(MapOf(kPageFormatRows), pageFormatPlan);
    }
    for (std::size_t i = 0; i < std::size(kFieldMaps); ++i) {
        if (kFieldMaps[i].tag == tag) return WithPlan(kFieldMaps[i].map, plans[i]);
    }
    return std::nullopt;
}

int32_t PreferenceFieldMapExtent(uint32_t tag, uint16_t item) {
    const auto map = FindFieldMap(tag, item);
    return map ? Extent(*map) : 0;
}

}  // namespace hostdata
