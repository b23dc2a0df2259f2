#include "hostdata/field_map.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "hostdata/host_calls.h"
#include "hostdata/host_version.h"
#include "hostdata/whole_record.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"

namespace hostdata {
namespace {

// The other record a row draws on, as one word: rows of the same record
// answer the same word, so that grouping them is one comparison a pair. The
// row begins with the record's name (tag, item, inci), six bytes, read in
// one piece.
constexpr std::size_t kRecordNameBytes = 6;
static_assert(offsetof(FieldMapRow, tag) == 0 && offsetof(FieldMapRow, item) == 2 &&
                  offsetof(FieldMapRow, inci) + sizeof(FieldMapRow::inci) == kRecordNameBytes,
              "a row's record name is its first six bytes, without padding");

uint64_t OtherRecordOf(const FieldMapRow &row) {
    uint64_t name = 0;
    std::memcpy(&name, &row, kRecordNameBytes);
    return name;
}

// Whether the host, of this version, serves the row.
bool InUse(const FieldMapRow &row, uint32_t hostVersion) {
    return row.minimumHostVersion <= hostVersion;
}

// No row's record: a record's name fills only the low 48 bits.
constexpr uint64_t kNoRecord = ~uint64_t{0};

// Groups the rows that `uses` takes by the other record they draw on, into
// plan. Every row is looked at once: each row's record is read once, a row
// out of use names no record, and a row a group took is passed over. A row
// still pending cannot share its record with one taken, so one comparison a
// row finds the group. Rows past kMaxMapRows are never in use.
template <typename Uses>
void MakePlan(FieldMap map, Uses uses, FieldMapPlan &plan) {
    const int rowCount = std::min<int>(map.rowCount, kMaxMapRows);
    uint64_t records[kMaxMapRows];
    for (int i = 0; i < rowCount; ++i) {
        records[i] = uses(map.rows[i]) ? OtherRecordOf(map.rows[i]) : kNoRecord;
    }
    uint64_t taken = 0;
    int placed = 0;
    plan.groupCount = 0;
    for (int i = 0; i < rowCount; ++i) {
        if ((taken >> i & 1) != 0 || records[i] == kNoRecord) continue;
        // The group's rows, in order: row i and the later rows of its record.
        for (int j = i; j < rowCount; ++j) {
            if (records[j] == records[i]) {
                taken |= uint64_t{1} << j;
                plan.rows[placed++] = static_cast<uint8_t>(j);
            }
        }
        plan.groupEnds[plan.groupCount++] = static_cast<uint8_t>(placed);
    }
    plan.extent = Extent(map);
    plan.reportedSize = ReportedSize(map);
}

// The plan of the rows in use under this host version: the one the map
// keeps when it was made for this version, else worked out, and kept where
// the map has room for it; a map without room gets `unkept`, filled here.
const FieldMapPlan &PlanInUse(FieldMap map, uint32_t hostVersion, FieldMapPlan &unkept) {
    const auto uses = [hostVersion](const FieldMapRow &row) { return InUse(row, hostVersion); };
    if (map.plan == nullptr) {
        MakePlan(map, uses, unkept);
        return unkept;
    }
    FieldMapPlan &kept = *map.plan;
    if (!kept.made || kept.hostVersion != hostVersion) {
        MakePlan(map, uses, kept);
        kept.hostVersion = hostVersion;
        kept.made = true;
    }
    return kept;
}

// Calls visit(first row, forEachRow) once per group of the plan, in its
// order; forEachRow(handle) calls handle on each of the group's rows.
template <typename Visit>
void ForEachOtherRecord(FieldMap map, const FieldMapPlan &plan, Visit visit) {
    int begin = 0;
    for (int group = 0; group < plan.groupCount; ++group) {
        const int end = plan.groupEnds[group];
        visit(map.rows[plan.rows[begin]], [&map, &plan, begin, end](auto handle) {
            for (int k = begin; k < end; ++k) handle(map.rows[plan.rows[k]]);
        });
        begin = end;
    }
}

DataKey OtherRecordKey(const FieldMapRow &row) {
    return {row.item == 0 ? kOtherRecordItem : row.item, row.inci};
}

int LoadRecordOf(const FieldMapRow &row, OtherRecord &scratch, int32_t *reported = nullptr) {
    return LoadOtherRecord(OtherRecordTag(row), OtherRecordKey(row), scratch, reported);
}

// The other record as the host holds it, for a patch of its first six
// words: the scratch, and for a record the host reports longer, all of it.
// False when the host did not supply it whole, or could not be seen to
// hold all of a longer one.
bool LoadWholeRecordOf(const FieldMapRow &row, OtherRecord &scratch, std::vector<uint8_t> &tail) {
    int32_t reported = 0;
    if (LoadRecordOf(row, scratch, &reported) < kOtherRecordSize) return false;
    return LoadOtherRecordTail(OtherRecordTag(row), OtherRecordKey(row), reported, tail);
}

bool SaveRecordOf(const FieldMapRow &row, const OtherRecord &scratch,
                  const std::vector<uint8_t> &tail) {
    return SaveOtherRecordWithTail(OtherRecordTag(row), OtherRecordKey(row), scratch.data(), tail);
}

std::size_t WordOffset(int fieldIndex) { return static_cast<std::size_t>(fieldIndex) * 2; }

// Bytes of the other record that a row's field reads.
int WordsEnd(const FieldMapRow &row) { return 2 * row.fieldIndex + FieldWidth(row); }

uint32_t LoadWideField(const FieldMapRow &row, const OtherRecord &scratch) {
    const uint32_t first = ReadU16(scratch.data(), WordOffset(row.fieldIndex));
    const uint32_t second = ReadU16(scratch.data(), WordOffset(row.fieldIndex + 1));
    if (row.mode == kHighWordFirst) return (first << 16) | second;
    if (row.mode == kLowWordFirst) return (second << 16) | first;
    return 0;
}

uint16_t LoadNarrowField(const FieldMapRow &row, const OtherRecord &scratch) {
    const uint16_t word = ReadU16(scratch.data(), WordOffset(row.fieldIndex));
    if (row.mode == kInvertedFlag) return word == 0 ? 1 : 0;
    if (row.mode == kLowByte) return word & 0xFF;
    return word;
}

void LoadField(const FieldMapRow &row, const OtherRecord &scratch, uint8_t *record) {
    const auto offset = static_cast<std::size_t>(row.recordOffset);
    if (FieldWidth(row) == 4) {
        WriteU32(record, offset, LoadWideField(row, scratch));
    } else {
        WriteU16(record, offset, LoadNarrowField(row, scratch));
    }
}

// Patches the scratch from the preference field; true when that changes
// what the other record holds.
bool SaveWideField(const FieldMapRow &row, uint32_t value, OtherRecord &scratch) {
    const bool changed = value != LoadWideField(row, scratch);
    const uint16_t high = static_cast<uint16_t>(value >> 16);
    const uint16_t low = static_cast<uint16_t>(value & 0xFFFF);
    if (row.mode == kHighWordFirst) {
        WriteU16(scratch.data(), WordOffset(row.fieldIndex), high);
        WriteU16(scratch.data(), WordOffset(row.fieldIndex + 1), low);
    } else if (row.mode == kLowWordFirst) {
        WriteU16(scratch.data(), WordOffset(row.fieldIndex), low);
        WriteU16(scratch.data(), WordOffset(row.fieldIndex + 1), high);
    }
    return changed;
}

bool SaveNarrowField(const FieldMapRow &row, uint16_t value, OtherRecord &scratch) {
    const std::size_t offset = WordOffset(row.fieldIndex);
    const uint16_t word = ReadU16(scratch.data(), offset);
    uint16_t converted = value;
    if (row.mode == kInvertedFlag) {
        converted = value == 0 ? 1 : 0;
    } else if (row.mode == kLowByte) {
        // The record keeps the high byte it had: the field never carries it.
        converted = static_cast<uint16_t>((word & 0xFF00) | (value & 0xFF));
    }
    WriteU16(scratch.data(), offset, converted);
    return converted != word;
}

bool SaveField(const FieldMapRow &row, const uint8_t *record, OtherRecord &scratch) {
    const auto offset = static_cast<std::size_t>(row.recordOffset);
    if (FieldWidth(row) == 4) return SaveWideField(row, ReadU32(record, offset), scratch);
    return SaveNarrowField(row, ReadU16(record, offset), scratch);
}

}  // namespace

int32_t ReportedSize(FieldMap map) {
    int32_t size = 0;
    for (int i = 0; i < map.rowCount; ++i) size += FieldWidth(map.rows[i]);
    return size;
}

int32_t Extent(FieldMap map) {
    int32_t extent = 0;
    for (int i = 0; i < map.rowCount; ++i) {
        extent = std::max(extent, map.rows[i].recordOffset + FieldWidth(map.rows[i]));
    }
    return extent;
}

uint32_t OtherRecordTag(const FieldMapRow &row) { return OtherTag(row.tag[0], row.tag[1]); }

int LoadOtherRecord(uint32_t tag, DataKey key, OtherRecord &scratch, int32_t *reported) {
    // Cleared first, so that a host that misreports its size never leaves
    // an earlier record's words behind.
    scratch.fill(0);
    int32_t size = kOtherRecordSize;
    const bool found = LoadHostRecord(tag, &key, scratch.data(), &size, kFrameworkDataVersion) != 0;
    if (reported != nullptr) *reported = found ? size : 0;
    return found ? std::clamp<int32_t>(size, 0, kOtherRecordSize) : 0;
}

bool SaveOtherRecord(uint32_t tag, DataKey key, const void *words) {
    return SaveHostRecord(tag, &key, words, kOtherRecordSize, kFrameworkDataVersion) != 0;
}

bool LoadOtherRecordTail(uint32_t tag, DataKey key, int32_t reported, std::vector<uint8_t> &tail) {
    tail.clear();
    if (reported <= kOtherRecordSize) return true;
    SeenRecord seen = LoadWholeRecord(tag, key, reported, kFrameworkDataVersion);
    if (!seen.whole) return false;
    tail.assign(seen.bytes.begin() + kOtherRecordSize, seen.bytes.end());
    return true;
}

bool SaveOtherRecordWithTail(uint32_t tag, DataKey key, const void *words,
                             const std::vector<uint8_t> &tail) {
    if (tail.empty()) return SaveOtherRecord(tag, key, words);
    std::vector<uint8_t> whole(static_cast<const uint8_t *>(words),
                               static_cast<const uint8_t *>(words) + kOtherRecordSize);
    whole.insert(whole.end(), tail.begin(), tail.end());
    return SaveHostRecord(tag, &key, whole.data(), static_cast<int32_t>(whole.size()),
                          kFrameworkDataVersion) != 0;
}

bool AssemblePreferenceRecord(void *buffer, int32_t *size, FieldMap map, SuppliedWords *supplied) {
    if (supplied != nullptr) *supplied = {};
    if (size == nullptr) return false;
    if (buffer == nullptr) {
        *size = ReportedSize(map);
        return true;
    }
    FieldMapPlan unkept;
    const FieldMapPlan &plan = PlanInUse(map, HostVersion(), unkept);
    // Some maps leave gaps, so their fields reach beyond the reported size;
    // a buffer sized from that alone would be overrun.
    if (*size < plan.extent) return false;
    *size = plan.reportedSize;
    auto *record = static_cast<uint8_t *>(buffer);
    SuppliedWords filled;
    bool complete = true;
    ForEachOtherRecord(map, plan, [&](const FieldMapRow &first, auto forEachRow) {
        OtherRecord scratch;
        const int bytes = LoadRecordOf(first, scratch);
        forEachRow([&](const FieldMapRow &row) {
            // A field is never made up: without its words it keeps the
            // buffer's bytes.
            if (WordsEnd(row) > bytes) {
                complete = false;
                return;
            }
            LoadField(row, scratch, record);
            filled.Add(row.recordOffset, FieldWidth(row));
        });
    });
    if (supplied != nullptr) *supplied = filled;
    return complete;
}

bool ScatterPreferenceRecord(const void *buffer, int32_t length, FieldMap map,
                             const SuppliedWords *held) {
    const uint32_t hostVersion = HostVersion();
    const auto uses = [held, hostVersion](const FieldMapRow &row) {
        return InUse(row, hostVersion) &&
               (held == nullptr || held->Covers(row.recordOffset, FieldWidth(row)));
    };
    // The rows in use follow the fields the caller holds, which change from
    // save to save: this plan is not kept.
    FieldMapPlan plan;
    MakePlan(map, uses, plan);
    // Every field is read from the buffer, so it must reach the last one.
    if (buffer == nullptr || length < plan.extent) return false;
    const auto *record = static_cast<const uint8_t *>(buffer);
    bool complete = true;
    ForEachOtherRecord(map, plan, [&](const FieldMapRow &first, auto forEachRow) {
        OtherRecord scratch;
        std::vector<uint8_t> tail;
        // Patching a record the host did not supply whole would save words
        // nobody supplied, or cut it short.
        if (!LoadWholeRecordOf(first, scratch, tail)) {
            complete = false;
            return;
        }
        bool changed = false;
        forEachRow(
            [&](const FieldMapRow &row) { changed = SaveField(row, record, scratch) || changed; });
        if (changed && !SaveRecordOf(first, scratch, tail)) complete = false;
    });
    return complete;
}

}  // namespace hostdata
