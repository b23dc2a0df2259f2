// Field maps: a preference record that the host keeps spread over small
// other records (12 bytes, six 16-bit words, tag 'ot' + two characters) is
// assembled field by field from them, and scattered back by patching and
// saving each other record whose words change.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "hostdata/host_calls.h"
#include "hostdata/supplied_words.h"
#include "interface/data_tag.h"

namespace hostdata {

// Size of an other record: six 16-bit words.
constexpr int kOtherRecordSize = 12;
constexpr int kOtherRecordWords = 6;
using OtherRecord = std::array<uint8_t, kOtherRecordSize>;

// How a preference field is read from, and written to, the other record's
// words w[k] (and w[k + 1] for a 32-bit field).
enum ConversionMode : int32_t {
    kPlainCopy = 0,      // a 16-bit field is w[k]; a 32-bit field reads as 0
    kHighWordFirst = 1,  // 32-bit: w[k] * 65536 + w[k + 1]
    kLowWordFirst = 2,   // 32-bit: w[k + 1] * 65536 + w[k]
    kInvertedFlag = 3,   // 1 when w[k] is 0, else 0
    kLowByte = 4,        // the low byte of w[k]
};

// One field of a preference record, and where it lives in an other record.
struct FieldMapRow {
    char tag[2];   // the two characters after 'ot'
    int16_t item;  // 0 stands for the other-record item number -2
    int16_t inci;
    int16_t recordOffset;  // byte offset in the preference record
    int16_t fieldIndex;    // word index k in the other record
    int16_t width;         // 4 for a 32-bit field; any other value means 16 bits
    int32_t mode;          // a ConversionMode
    // The row is used only when the host's version is at least this.
    uint32_t minimumHostVersion = 0;
};

// Rows a map may have: a pass keeps one mark per row.
constexpr int kMaxMapRows = 64;

// A map's rows in use under one host version, grouped by the other record
// they draw on: each group's rows in row order, the groups in the order of
// their first row. An assembly works it out on its first pass and keeps it
// where the map has room for it (the plug-in's own tables, whose rows never
// change); under another host version it is worked out again. Plain data,
// so that a table's plan, in static storage, starts out zero (not made)
// with no code run to make it so.
struct FieldMapPlan {
    bool made;
    uint32_t hostVersion;
    int32_t extent;        // Extent of the map
    int32_t reportedSize;  // ReportedSize of the map
    int groupCount;
    uint8_t rows[kMaxMapRows];       // row numbers, group after group
    uint8_t groupEnds[kMaxMapRows];  // where each group's rows end
};

struct FieldMap {
    const FieldMapRow *rows;
    int16_t rowCount;
    // Where an assembly keeps the map's plan; none for a map made on the
    // spot, whose plan is worked out on every pass.
    FieldMapPlan *plan = nullptr;
};

// The map with room for its plan.
constexpr FieldMap WithPlan(FieldMap map, FieldMapPlan &plan) {
    return {map.rows, map.rowCount, &plan};
}

// Byte width of a row's field: 4 or 2. Inline: a pass over a map asks it
// of every row.
inline int FieldWidth(const FieldMapRow &row) { return row.width == 4 ? 4 : 2; }
// The preference record's reported size: the sum of the field widths.
int32_t ReportedSize(FieldMap map);
// Bytes a buffer must hold for every field to fit: highest offset + width.
int32_t Extent(FieldMap map);
// The other-record tag a row names.
uint32_t OtherRecordTag(const FieldMapRow &row);

// Loads the other record (tag, key) into the scratch, cleared first, and
// answers how many of its bytes the host supplied: 12 for a whole record,
// fewer for a short one, 0 when the host has none (or refuses it).
// `reported`, when given, receives the size the host reported (0 when it
// has none), which may pass 12.
int LoadOtherRecord(uint32_t tag, DataKey key, OtherRecord &scratch, int32_t *reported = nullptr);
// Saves the other record's 12 bytes of words under (tag, key).
bool SaveOtherRecord(uint32_t tag, DataKey key, const void *words);
// The bytes past the first 12 of an other record the host reports longer
// (`reported`), as it holds them, so that a save keeps them: true with
// `tail` filled when two loads in full agreed on every byte; false when the
// host could not be seen to hold all of it (then it must not be saved).
bool LoadOtherRecordTail(uint32_t tag, DataKey key, int32_t reported, std::vector<uint8_t> &tail);
// Saves the other record's 12 bytes of words followed by `tail`, its bytes
// past them as the host holds them (none for a record of 12 bytes).
bool SaveOtherRecordWithTail(uint32_t tag, DataKey key, const void *words,
                             const std::vector<uint8_t> &tail);
// Fills the preference record at buffer from the other records, each loaded
// once, in the order of its first row. *size is the room in buffer on entry
// and the reported size on return. A null buffer only asks for the size.
// False for a null size pointer, and for room below the map's extent (then
// nothing is written and *size is left as it was). A field is filled only
// where the host supplied its words (a short other record supplies those it
// holds); any other keeps the buffer's bytes, and the answer is then false.
// `supplied`, when given, receives the fields that were filled.
bool AssemblePreferenceRecord(void *buffer, int32_t *size, FieldMap map,
                              SuppliedWords *supplied = nullptr);
// Writes the preference record's fields into their other records: each
// other record is loaded once, patched, and saved only if a word changed.
// An other record that does not load whole is neither patched nor saved;
// one the host reports longer than 12 bytes goes back whole, its words past
// the sixth as the host holds them, when the host is seen to hold it all
// (whole_record.h), and is otherwise not saved.
// With `held`, only the fields it covers are the caller's: the others are
// neither compared nor written. False for a null buffer and for a length
// short of the map's extent (then nothing is loaded or saved), and when an
// other record a field goes into could not be loaded whole or saved (the
// others are still written).
bool ScatterPreferenceRecord(const void *buffer, int32_t length, FieldMap map,
                             const SuppliedWords *held = nullptr);
// The map that serves a preference tag inside load and save host record.
// 'pfPF' has one for the score (item number 0) only.
std::optional<FieldMap> FindFieldMap(uint32_t tag, uint16_t item);
// The bytes a load of a preference record (tag, item) fills when a field
// map serves it, which can pass the size it reports; 0 when no map serves it.
int32_t PreferenceFieldMapExtent(uint32_t tag, uint16_t item);

// The same for any record: asked on every load and save, and most records
// are not preferences.
inline int32_t FieldMapExtent(uint32_t tag, uint16_t item) {
    return IsPreferenceTag(tag) ? PreferenceFieldMapExtent(tag, item) : 0;
}

}  // namespace hostdata
