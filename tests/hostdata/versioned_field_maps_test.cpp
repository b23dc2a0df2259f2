#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "hostdata/host_version.h"
#include "hostdata/versioned_field_maps.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

using Lines = std::vector<std::string>;
using hostdata::FieldMap;
using hostdata::OtherTag;

uint32_t Pf(char c1, char c2) { return hostdata::MakeTag('p', 'f', c1, c2); }

class VersionedFieldMaps : public HostTest {
protected:
    Lines LoadedRecords() const {
        Lines records;
        for (const auto &call : host.Trace()) {
            if (call.function == "FX_LoadEData") {
                records.push_back(hostdata::TagText(call.tag) + " " + std::to_string(call.itemIn) +
                                  "," + std::to_string(call.inciIn));
            }
        }
        return records;
    }

    static FieldMap Map(uint32_t tag, uint16_t partsFlag = 0) {
        return *hostdata::FindVersionedFieldMap(tag, partsFlag);
    }
};

// 'pfMI' row 1 (offset 0) needs host version 0x12050000, row 46 (offset 96)
// 0x12000000; a row left out keeps the buffer's 0xEEEE.
class NewerHostRows : public VersionedFieldMaps {
protected:
    NewerHostRows() {
        PutOther('2', '2', 0, {0, 0, 0, 0, 0x2222, 0});
        PutOther('F', 'I', 0, {0, 0, 0, 0, 0, 0x1111}, 10);
        PutRecordsOf(Map(Pf('M', 'I')));
    }

    // The words at offsets 0 and 96 after an assembly under the version.
    std::pair<int, int> AssembleUnder(uint32_t hostVersion) {
        hostdata::SetHostVersion(hostVersion);
        misc.fill(0xEE);
        int32_t size = 98;
        EXPECT_TRUE(hostdata::AssemblePreferenceRecord(misc.data(), &size, Map(Pf('M', 'I'))));
        EXPECT_EQ(size, 98);
        return {hostdata::ReadU16(misc.data(), 0), hostdata::ReadU16(misc.data(), 96)};
    }

    std::array<uint8_t, 98> misc;
};

TEST_F(NewerHostRows, AreServedFromTheirOwnHostVersionOn) {
    // Versions compare unsigned: the top half of the range is newest.
    EXPECT_EQ(AssembleUnder(0xFFFFFFFF), std::make_pair(0x2222, 0x1111));
    EXPECT_EQ(AssembleUnder(0x80000000), std::make_pair(0x2222, 0x1111));
    EXPECT_EQ(AssembleUnder(0x12050000), std::make_pair(0x2222, 0x1111));
    EXPECT_EQ(AssembleUnder(0x1204FFFF), std::make_pair(0xEEEE, 0x1111));
    EXPECT_EQ(AssembleUnder(0x12000000), std::make_pair(0xEEEE, 0x1111));
    host.ClearTrace();
    EXPECT_EQ(AssembleUnder(0x11FFFFFF), std::make_pair(0xEEEE, 0xEEEE));
    const Lines loaded = LoadedRecords();
    EXPECT_EQ(loaded.size(), 21u);
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), "ot22 -2,0"), 0);
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), "otFI 10,0"), 0);
}

TEST_F(NewerHostRows, AreNeitherComparedNorWrittenOnAnOlderHost) {
    AssembleUnder(0x12050000);
    hostdata::WriteU16(misc.data(), 0, 0x3333);
    hostdata::SetHostVersion(0x11FFFFFF);
    host.ClearTrace();
    EXPECT_TRUE(hostdata::ScatterPreferenceRecord(misc.data(), 98, Map(Pf('M', 'I'))));
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
    EXPECT_EQ(OtherWord('2', '2', 0, 4), 0x2222);
}

TEST_F(VersionedFieldMaps, ARowLeftOutDoesNotHoldBackTheRowsThatShareItsRecord) {
    const hostdata::FieldMapRow rows[] = {
        {{'5', '0'}, 0, 0, 0, 0, 2, hostdata::kPlainCopy, 0x20000000},
        {{'5', '0'}, 0, 0, 2, 1, 2, hostdata::kPlainCopy, 0},
    };
    PutOther('5', '0', 0, {1, 2, 0, 0, 0, 0});
    std::array<uint8_t, 4> record;
    record.fill(0xEE);
    int32_t size = 4;
    EXPECT_TRUE(hostdata::AssemblePreferenceRecord(record.data(), &size, FieldMap{rows, 2}));
    EXPECT_EQ(hostdata::ReadU16(record.data(), 0), 0xEEEE);
    EXPECT_EQ(hostdata::ReadU16(record.data(), 2), 2);
}

TEST_F(VersionedFieldMaps, AGappedMapNeedsRoomForItsLastField) {
    std::array<uint8_t, 12> spacing;
    spacing.fill(0xEE);
    PutOther('0', '4', 0, {1, 2, 3, 4, 5, 6});
    for (int32_t size : {6, 11}) {
        EXPECT_FALSE(hostdata::AssemblePreferenceRecord(spacing.data(), &size, Map(Pf('S', 'p'))));
    }
    EXPECT_TRUE(host.Trace().empty());

    EXPECT_FALSE(hostdata::ScatterPreferenceRecord(spacing.data(), 11, Map(Pf('S', 'p'))));
    EXPECT_TRUE(host.Trace().empty()) << "the last field lies beyond the length stated";

    int32_t size = 12;
    EXPECT_TRUE(hostdata::AssemblePreferenceRecord(spacing.data(), &size, Map(Pf('S', 'p'))));
    EXPECT_EQ(size, 6);
    EXPECT_EQ(hostdata::ReadU16(spacing.data(), 2), 2);
    EXPECT_EQ(hostdata::ReadU16(spacing.data(), 10), 6);
    EXPECT_TRUE(std::all_of(spacing.begin() + 4, spacing.begin() + 10,
                            [](uint8_t b) { return b == 0xEE; }));
    hostdata::WriteU16(spacing.data(), 10, 60);
    EXPECT_TRUE(hostdata::ScatterPreferenceRecord(spacing.data(), 12, Map(Pf('S', 'p'))));
    EXPECT_EQ(OtherWord('0', '4', 0, 5), 60);
}

// A caller that holds only some fields has only those written: the others
// are neither compared nor written, and an other record none of whose
// fields it holds is not even loaded.
TEST_F(VersionedFieldMaps, OnlyTheFieldsTheCallerHoldsAreSaved) {
    const FieldMap map = Map(Pf('G', 'p'));  // offsets 0, 2, 4 from 'ot79' words 0, 1, 2
    PutOther('7', '9', 0, {1, 2, 3, 0, 0, 0});
    std::array<uint8_t, 6> record{};
    hostdata::SuppliedWords held;
    held.Add(2, 2);
    host.ClearTrace();
    EXPECT_TRUE(hostdata::ScatterPreferenceRecord(record.data(), 6, map, &held));
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 1u);
    EXPECT_EQ(OtherWord('7', '9', 0, 0), 1);
    EXPECT_EQ(OtherWord('7', '9', 0, 1), 0);
    EXPECT_EQ(OtherWord('7', '9', 0, 2), 3);
    host.ClearTrace();
    EXPECT_TRUE(hostdata::ScatterPreferenceRecord(record.data(), 6, map, &held));
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty()) << "the field it holds is unchanged";
    const hostdata::SuppliedWords none;
    host.ClearTrace();
    EXPECT_TRUE(hostdata::ScatterPreferenceRecord(record.data(), 6, map, &none));
    EXPECT_TRUE(host.Trace().empty());
}

// The page format's extra values: six slots in four other records.
class PageFormatExtras : public VersionedFieldMaps {
protected:
    PageFormatExtras() {
        PutOther('0', '1', 0, {0, 0, 0, 0, 0, 3});
        PutOther('7', '7', 4, {30, 0, 0, 0, 0, 0});
        PutOther('9', '3', 0, {0, 0, 1536, 0, 1000, 0});
        PutOther('7', '6', 0, {0, 0, 0, 100, 90, 0});
    }

    std::array<uint8_t, 12> extra{};
    int32_t size = hostdata::kPageFormatExtraSize;
};

TEST_F(PageFormatExtras, LoadFourOtherRecordsIntoSixSlots) {
    EXPECT_TRUE(hostdata::AssemblePreferenceRecord(extra.data(), &size,
                                                   hostdata::PageFormatExtraFieldMap()));
    EXPECT_EQ(size, 12);
    EXPECT_EQ(LoadedRecords(), (Lines{"ot01 -2,0", "ot77 -2,4", "ot93 -2,0", "ot76 -2,0"}));
    std::vector<uint16_t> slots;
    for (std::size_t offset = 0; offset < 12; offset += 2)
        slots.push_back(hostdata::ReadU16(extra.data(), offset));
    EXPECT_EQ(slots, (std::vector<uint16_t>{30, 3, 1000, 90, 1536, 100}));
}

TEST_F(PageFormatExtras, SaveOnlyTheOtherRecordsWhoseSlotsChanged) {
    hostdata::AssemblePreferenceRecord(extra.data(), &size, hostdata::PageFormatExtraFieldMap());
    host.ClearTrace();
    EXPECT_TRUE(
        hostdata::ScatterPreferenceRecord(extra.data(), 12, hostdata::PageFormatExtraFieldMap()));
    EXPECT_EQ(LoadedRecords().size(), 4u);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());

    hostdata::WriteU16(extra.data(), 8, 1600);
    host.ClearTrace();
    hostdata::ScatterPreferenceRecord(extra.data(), 12, hostdata::PageFormatExtraFieldMap());
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              Lines{"FX_SaveEData 'ot93' (-2,0) length 12 v=0x19000000 -> 1"});
    EXPECT_EQ(OtherWord('9', '3', 0, 2), 1600);
    EXPECT_EQ(OtherWord('9', '3', 0, 4), 1000);
}

}  // namespace
