// The fields named in a record as the host hands it over: what a replay
// shows beside the bytes of a save that differs.
#include "standin/document/record_fields.h"

#include <gtest/gtest.h>

#include "interface/data_tag.h"
#include "interface/host_version_words.h"
#include "interface/record_bytes.h"

namespace {

using standin::Bytes;
using standin::NamedFieldChanges;
using Lines = std::vector<std::string>;

constexpr uint32_t kVersion = 0x19000000;

Bytes With(std::size_t size, std::size_t offset, uint16_t word) {
    Bytes bytes(size, 0);
    hostdata::WriteU16(bytes.data(), offset, word);
    return bytes;
}

TEST(NamedFieldChanges, NameTheFieldsOfEachKindOfRecordTheDocumentNames) {
    const standin::RecordKey system{hostdata::kStaffSystemTag, 2, 0};
    Bytes after = With(28, 2, 144);
    hostdata::WriteU16(after.data(), 8, 9);
    EXPECT_EQ(NamedFieldChanges(system, kVersion, With(28, 8, 5), after),
              (Lines{"leftIndent: 0 -> 144", "firstMeasure: 5 -> 9"}));

    // A measure in the 30-byte layout and in the 26-byte one of older hosts,
    // which lacks bytes 4 to 7.
    const standin::RecordKey measure{hostdata::kMeasureTag, 7, 0};
    EXPECT_EQ(NamedFieldChanges(measure, hostdata::kLongMeasureHostVersion, Bytes(30, 0),
                                With(30, 14, 0x0050)),
              (Lines{"barlineStyle: 0 -> 5"}));
    EXPECT_EQ(NamedFieldChanges(measure, 0x11000000, Bytes(26, 0), With(26, 8, 0x0800)),
              (Lines{"fullNames: false -> true"}));

    const standin::RecordKey firstSystemIndent{hostdata::OtherTag('0', '3'), -2, 0};
    EXPECT_EQ(NamedFieldChanges(firstSystemIndent, kVersion, Bytes(12, 0), With(12, 2, 72)),
              (Lines{"pageFormat score firstSystemIndent: 0 -> 72"}));
}

TEST(NamedFieldChanges, NameNothingOutsideTheNamedFields) {
    const standin::RecordKey system{hostdata::kStaffSystemTag, 2, 0};
    EXPECT_EQ(NamedFieldChanges(system, kVersion, Bytes(28, 0), With(28, 20, 1)), Lines{});
    EXPECT_EQ(NamedFieldChanges(system, kVersion, Bytes(26, 0), With(26, 2, 1)), Lines{});
    EXPECT_EQ(NamedFieldChanges(system, kVersion, Bytes(28, 0), With(30, 2, 1)), Lines{});
    const standin::RecordKey other{hostdata::OtherTag('1', '4'), -2, 0};
    EXPECT_EQ(NamedFieldChanges(other, kVersion, Bytes(12, 0), With(12, 2, 1)), Lines{});
}

}  // namespace
