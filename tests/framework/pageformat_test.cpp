#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "framework/fc_pageformat.h"
#include "hostdata/data_tag.h"
#include "hostdata/field_map.h"
#include "hostdata/host_calls.h"
#include "hostdata/record_bytes.h"
#include "hostdata/versioned_field_maps.h"
#include "tests/support/host_test.h"

namespace {

using Lines = std::vector<std::string>;
using hostdata::OtherTag;

// A document whose score page format has system indent 30 and first-system
// indent 90, whose parts page format has 20 and 60, and whose extra values
// are 11, 12, 13 for the score and 21, 22, 23 for the parts.
class PageFormatPrefs : public HostTest {
protected:
    PageFormatPrefs() {
        for (const char *other : {"14", "15", "39", "16", "02", "01", "13"}) {
            PutOther(other[0], other[1], 0, {});
        }
        PutOther('1', '7', 0, {0, 30, 0, 0, 0, 0});
        PutOther('0', '3', 0, {0, 90, 0, 0, 0, 0});
        PutOther('7', '7', 0, {});
        PutOther('7', '7', 1, {});
        PutOther('7', '7', 2, {0, 0, 20, 0, 0, 0});  // parts offset 28
        PutOther('7', '7', 3, {0, 0, 0, 0, 0, 60});  // parts offset 46
        PutOther('0', '1', 0, {0, 0, 0, 0, 0, 13});
        PutOther('7', '7', 4, {23, 0, 0, 0, 0, 0});
        PutOther('9', '3', 0, {0, 0, 11, 0, 21, 0});
        PutOther('7', '6', 0, {0, 0, 0, 12, 22, 0});
    }

    static std::array<int16_t, 3> Extras(const FCPageFormatPrefs &prefs) {
        return {prefs.GetExtraValue1(), prefs.GetExtraValue2(), prefs.GetExtraValue3()};
    }

    FCPageFormatPrefs prefs;
};

const Lines kExtraLoads = {
    "FX_LoadEData 'ot01' (-2,0) room 12 v=0x19000000 -> 1 size 12",
    "FX_LoadEData 'ot77' (-2,4) room 12 v=0x19000000 -> 1 size 12",
    "FX_LoadEData 'ot93' (-2,0) room 12 v=0x19000000 -> 1 size 12",
    "FX_LoadEData 'ot76' (-2,0) room 12 v=0x19000000 -> 1 size 12",
};

Lines Then(Lines first, const Lines &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(PageFormatPrefs, ANewObjectHoldsTheDefaultsAndNothingToSave) {
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{1536, 100, 0}));
    EXPECT_EQ(prefs.GetLoadedSize(), 0u);
    EXPECT_EQ(prefs.GetSystemIndent(), 0);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 0);
    EXPECT_FALSE(prefs.Save());
    EXPECT_FALSE(prefs.Reload());
    EXPECT_TRUE(host.Trace().empty());
    EXPECT_EQ(prefs.GetClassID(), 68);
    EXPECT_STREQ(prefs.GetClassName(), "FCPageFormatPrefs");
}

TEST_F(PageFormatPrefs, TheScoreIsAssembledFromOtherRecords) {
    ASSERT_TRUE(prefs.LoadItem(0));
    EXPECT_EQ(Calls(), Then({"FX_LoadEData 'ot14' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot15' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot39' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot16' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot02' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot17' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot01' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot13' (-2,0) room 12 v=0x19000000 -> 1 size 12",
                             "FX_LoadEData 'ot03' (-2,0) room 12 v=0x19000000 -> 1 size 12"},
                            kExtraLoads));
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_EQ(prefs.GetSystemIndent(), 30);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 90);
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{11, 12, 13}));
}

TEST_F(PageFormatPrefs, ThePartsAreFourOtherRecordsAndAreWhatLoadFirstAndReloadLoad) {
    ASSERT_TRUE(prefs.LoadFirst());
    const Lines partsLoad =
        Then({"FX_LoadEData 'ot77' (-2,0) room 12 v=0x19000000 -> 1 size 12",
              "FX_LoadEData 'ot77' (-2,1) room 12 v=0x19000000 -> 1 size 12",
              "FX_LoadEData 'ot77' (-2,2) room 12 v=0x19000000 -> 1 size 12",
              "FX_LoadEData 'ot77' (-2,3) room 12 v=0x19000000 -> 1 size 12",
              "FX_GetCurrentEnigmaDocument v=0x19000000 -> 1"},
             kExtraLoads);
    EXPECT_EQ(Calls(), partsLoad);
    EXPECT_EQ(prefs.GetDataKey().item, 1);
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_EQ(prefs.GetSystemIndent(), 20);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 60);
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{21, 22, 23}));

    host.ClearTrace();
    ASSERT_TRUE(prefs.Reload());
    EXPECT_EQ(Calls(), partsLoad);
}

TEST_F(PageFormatPrefs, NoOtherVariantExists) {
    prefs.SetExtraValue1(5);
    EXPECT_FALSE(prefs.LoadItem(2));
    EXPECT_EQ(prefs.GetLoadedSize(), 0u);
    EXPECT_EQ(prefs.GetExtraValue1(), 5);
    EXPECT_TRUE(host.Trace().empty());
}

TEST_F(PageFormatPrefs, SavingAnUnchangedScoreWritesNothing) {
    ASSERT_TRUE(prefs.LoadItem(0));
    host.ClearTrace();
    EXPECT_TRUE(prefs.Save());
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

TEST_F(PageFormatPrefs, SavingThePartsWritesOnlyThePartsExtraValues) {
    ASSERT_TRUE(prefs.LoadItem(1));
    prefs.SetExtraValue1(31);
    prefs.SetExtraValue2(32);
    prefs.SetExtraValue3(33);
    host.ClearTrace();
    EXPECT_TRUE(prefs.Save());
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (Lines{"FX_SaveEData 'ot77' (-2,0) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot77' (-2,1) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot77' (-2,2) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot77' (-2,3) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot77' (-2,4) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot93' (-2,0) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot76' (-2,0) length 12 v=0x19000000 -> 1"}));
    EXPECT_EQ(OtherWord('9', '3', 0, 4), 31);
    EXPECT_EQ(OtherWord('7', '6', 0, 4), 32);
    EXPECT_EQ(OtherWord('7', '7', 4, 0), 33);
    EXPECT_EQ(OtherWord('9', '3', 0, 2), 11) << "the score's values stay";
    EXPECT_EQ(OtherWord('7', '6', 0, 3), 12);
    EXPECT_EQ(OtherWord('0', '1', 0, 5), 13);
}

TEST_F(PageFormatPrefs, ACopyIsLoadedWithTheSourcesRecordAndExtraValues) {
    FCPageFormatPrefs blank;
    prefs.SetDataKey({1, 0});
    prefs.CopyDataFrom(blank);
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_EQ(prefs.HeldBytes(), prefs.GetRecordBuffer());
    EXPECT_EQ(prefs.GetDataKey().item, 1);

    FCPageFormatPrefs score;
    ASSERT_TRUE(score.LoadItem(0));
    score.SetExtraValue3(-7);
    prefs.CopyDataFrom(score);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 90);
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{11, 12, -7}));
    EXPECT_EQ(prefs.GetDataKey().item, 1);
}

// Every preference record that is served field by field: loaded, every
// field changed, saved, loaded again. Versioned maps go through the
// framework's own preference object, whose storage is just the room the
// fields reach; plain maps through the host operations, with a buffer of
// just that room.
class AnyPrefs : public __FCPrefsBase {
public:
    AnyPrefs(uint32_t tag, uint32_t recordSize) : tag(tag), recordSize(recordSize) {}
    int32_t GetClassID() const override { return 1; }
    void *GetRecordBuffer() override { return record.data(); }
    AnyPrefs *CreateObject() const override { return new AnyPrefs(tag, recordSize); }
    uint32_t GetDataTag() const override { return tag; }
    uint32_t GetRecordSize() const override { return recordSize; }
    bool LoadItem(uint16_t partsFlag) override { return LoadPrefsRecord(partsFlag); }
    bool Save() override { return SavePrefsRecord(); }

    const uint32_t tag, recordSize;
    std::array<uint8_t, 112> record{};
};

struct MapCase {
    const char *tag;
    uint16_t selector;  // parts flag of a versioned map, item number of a plain one
    bool versioned;
};

std::string MapCaseName(const ::testing::TestParamInfo<MapCase> &info) {
    return std::string(info.param.tag) + "_" + std::to_string(info.param.selector);
}

class PreferenceRoundTrip : public HostTest, public ::testing::WithParamInterface<MapCase> {
protected:
    using Record = std::array<uint8_t, 112>;

    uint32_t Tag() const {
        const char *tag = GetParam().tag;
        return hostdata::MakeTag(tag[0], tag[1], tag[2], tag[3]);
    }

    hostdata::FieldMap Map() const {
        return GetParam().versioned ? *hostdata::FindVersionedFieldMap(Tag(), GetParam().selector)
                                    : *hostdata::FindFieldMap(Tag(), GetParam().selector);
    }

    std::vector<hostdata::FieldMapRow> Rows() const {
        return {Map().rows, Map().rows + Map().rowCount};
    }

    bool Load(Record &record) {
        const auto extent = hostdata::Extent(Map());
        if (GetParam().versioned) {
            AnyPrefs prefs(Tag(), static_cast<uint32_t>(extent));
            if (!prefs.LoadItem(GetParam().selector)) return false;
            record = prefs.record;
            return prefs.GetLoadedSize() == static_cast<uint64_t>(hostdata::ReportedSize(Map()));
        }
        hostdata::DataKey key{GetParam().selector, 0};
        int32_t room = extent;
        return hostdata::LoadHostRecord(Tag(), &key, record.data(), &room, 0x19000000) != 0;
    }

    bool Save(const Record &record) {
        const auto extent = hostdata::Extent(Map());
        if (GetParam().versioned) {
            AnyPrefs prefs(Tag(), static_cast<uint32_t>(extent));
            if (!prefs.LoadItem(GetParam().selector)) return false;
            host.ClearTrace();
            prefs.record = record;
            return prefs.Save();
        }
        host.ClearTrace();
        hostdata::DataKey key{GetParam().selector, 0};
        return hostdata::SaveHostRecord(Tag(), &key, record.data(), extent, 0x19000000) != 0;
    }

    static uint32_t Field(const Record &record, const hostdata::FieldMapRow &row) {
        const auto offset = static_cast<std::size_t>(row.recordOffset);
        return row.width == 4 ? hostdata::ReadU32(record.data(), offset)
                              : hostdata::ReadU16(record.data(), offset);
    }

    // A new value that the field's conversion carries through unchanged.
    static void Change(Record &record, const hostdata::FieldMapRow &row) {
        const auto offset = static_cast<std::size_t>(row.recordOffset);
        const uint32_t value = Field(record, row);
        if (row.width == 4) return hostdata::WriteU32(record.data(), offset, value + 0x00010001);
        uint32_t changed = value + 1;
        if (row.mode == hostdata::kInvertedFlag) changed = value == 0 ? 1 : 0;
        if (row.mode == hostdata::kLowByte) changed = (value + 1) & 0xFF;
        hostdata::WriteU16(record.data(), offset, static_cast<uint16_t>(changed));
    }
};

TEST_P(PreferenceRoundTrip, EveryChangedFieldIsSavedOnceAndLoadsBack) {
    const int records = PutRecordsOf(Map(), true);
    Record loaded{}, reloaded{};
    ASSERT_TRUE(Load(loaded));
    Record changed = loaded;
    for (const hostdata::FieldMapRow &row : Rows()) Change(changed, row);
    ASSERT_TRUE(Save(changed));
    EXPECT_EQ(static_cast<int>(CallsOf("FX_SaveEData").size()), records)
        << "one save per other record";
    ASSERT_TRUE(Load(reloaded));
    for (const hostdata::FieldMapRow &row : Rows()) {
        EXPECT_EQ(Field(reloaded, row), Field(changed, row)) << "offset " << row.recordOffset;
        EXPECT_NE(Field(reloaded, row), Field(loaded, row)) << "offset " << row.recordOffset;
    }
}

INSTANTIATE_TEST_SUITE_P(
    VersionedMaps, PreferenceRoundTrip,
    ::testing::Values(MapCase{"pfDP", 0, true}, MapCase{"pfEX", 0, true},
                      MapCase{"pfGp", 0, true}, MapCase{"pfGp", 1, true},
                      MapCase{"pfMI", 0, true}, MapCase{"pfMS", 0, true},
                      MapCase{"pfPB", 0, true}, MapCase{"pfPF", 0, true},
                      MapCase{"pfPL", 0, true}, MapCase{"pfRP", 0, true},
                      MapCase{"pfSI", 0, true}, MapCase{"pfSS", 0, true},
                      MapCase{"pfSp", 0, true}, MapCase{"pfSp", 1, true},
                      MapCase{"pfTI", 0, true}, MapCase{"pfly", 0, true},
                      MapCase{"pfmm", 0, true}, MapCase{"pfpS", 0, true}),
    MapCaseName);

INSTANTIATE_TEST_SUITE_P(
    PlainMaps, PreferenceRoundTrip,
    ::testing::Values(MapCase{"pfPF", 0, false}, MapCase{"pf05", 0, false},
                      MapCase{"pfDP", 0, false}, MapCase{"pfEX", 0, false},
                      MapCase{"pfMS", 0, false}, MapCase{"pfPB", 0, false},
                      MapCase{"pfPL", 0, false}, MapCase{"pfRP", 0, false},
                      MapCase{"pfSI", 0, false}, MapCase{"pfSS", 0, false}),
    MapCaseName);

}  // namespace
