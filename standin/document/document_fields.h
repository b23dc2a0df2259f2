// Where the fields a document gives by name live in the host's records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "interface/data_tag.h"
#include "standin/host/host.h"
#include "standin/host/record_store.h"

namespace standin::fields {

// Staff system 'SOSS', items 1..n, inci 0.
constexpr std::size_t kSystemSize = Host::kStaffSystemSize;
constexpr std::size_t kSystemLeftIndent = 2;
constexpr std::size_t kSystemFirstMeasure = Host::kFirstMeasureOffset;

// Measure 'SOMS', item = measure number, inci 0, kept in the 30-byte layout.
constexpr std::size_t kMeasureSize = 30;
constexpr std::size_t kMeasureFlags = 12;
constexpr uint16_t kFullNamesBit = 0x0800;
constexpr std::size_t kMeasureBarline = 14;
constexpr uint16_t kBarlineStyleMask = 0x00F0;
constexpr unsigned kBarlineStyleShift = 4;

// Other records are six 16-bit words under item number -2.
constexpr std::size_t kOtherRecordSize = 12;
constexpr int16_t kOtherItem = -2;

// A page format value the host keeps in one word of an other record. The
// score's indents come from the records its field map reads, the parts'
// from the 48-byte record the host keeps as 'ot77' incis 0 to 3.
struct PageFormatWord {
    const char *variant;  // "score" or "parts"
    const char *name;
    uint32_t tag;
    int16_t inci;
    std::size_t word;

    RecordKey Key() const { return {tag, kOtherItem, inci}; }
    std::size_t Offset() const { return 2 * word; }
};

constexpr PageFormatWord kPageFormatWords[] = {
    {"score", "systemIndent", hostdata::OtherTag('1', '7'), 0, 1},
    {"score", "firstSystemIndent", hostdata::OtherTag('0', '3'), 0, 1},
    {"score", "extraValue1", hostdata::OtherTag('9', '3'), 0, 2},
    {"score", "extraValue2", hostdata::OtherTag('7', '6'), 0, 3},
    {"score", "extraValue3", hostdata::OtherTag('0', '1'), 0, 5},
    {"parts", "systemIndent", hostdata::OtherTag('7', '7'), 2, 2},
    {"parts", "firstSystemIndent", hostdata::OtherTag('7', '7'), 3, 5},
    {"parts", "extraValue1", hostdata::OtherTag('9', '3'), 0, 4},
    {"parts", "extraValue2", hostdata::OtherTag('7', '6'), 0, 4},
    {"parts", "extraValue3", hostdata::OtherTag('7', '7'), 4, 0},
};

constexpr const char *kPageFormatVariants[] = {"score", "parts"};

// The bytes that page format values fill in `key`; empty when none do. A
// document always holds these records, and may leave one out that holds 0
// besides.
inline std::vector<bool> PageFormatBytes(const RecordKey &key) {
    std::vector<bool> named;
    for (const auto &word : kPageFormatWords) {
        if (!(word.Key() == key)) continue;
        named.resize(kOtherRecordSize, false);
        named[word.Offset()] = named[word.Offset() + 1] = true;
    }
    return named;
}

// Every other record a page format is made of. The module reads a page
// format field by field: a field whose record the host lacks, or holds too
// short to reach it, is not read, and nothing is made up in its place.
struct PageFormatRecord {
    const char *variant;
    uint32_t tag;
    int16_t inci;

    RecordKey Key() const { return {tag, kOtherItem, inci}; }
};

constexpr PageFormatRecord kPageFormatRecords[] = {
    {"score", hostdata::OtherTag('1', '4'), 0}, {"score", hostdata::OtherTag('1', '5'), 0},
    {"score", hostdata::OtherTag('3', '9'), 0}, {"score", hostdata::OtherTag('1', '6'), 0},
    {"score", hostdata::OtherTag('0', '2'), 0}, {"score", hostdata::OtherTag('1', '7'), 0},
    {"score", hostdata::OtherTag('0', '1'), 0}, {"score", hostdata::OtherTag('1', '3'), 0},
    {"score", hostdata::OtherTag('0', '3'), 0}, {"parts", hostdata::OtherTag('7', '7'), 0},
    {"parts", hostdata::OtherTag('7', '7'), 1}, {"parts", hostdata::OtherTag('7', '7'), 2},
    {"parts", hostdata::OtherTag('7', '7'), 3},
};

// Where a record belongs in a document when it is not a raw record: the
// staff systems run from item 1 without a gap (so a 28-byte 'SOSS' right
// after them would be one more), and every 30-byte measure record is a
// measure.
enum class Section { Raw, Systems, Measures };

inline Section SectionOf(const RecordKey &key, std::size_t size, std::size_t systemCount) {
    if (key.tag == hostdata::kStaffSystemTag && key.inci == 0 && size == kSystemSize &&
        key.item >= 1 && static_cast<std::size_t>(key.item) <= systemCount + 1) {
        return Section::Systems;
    }
    if (key.tag == hostdata::kMeasureTag && key.inci == 0 && size == kMeasureSize &&
        key.item >= 1) {
        return Section::Measures;
    }
    return Section::Raw;
}

}  // namespace standin::fields
