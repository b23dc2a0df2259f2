#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "framework/fc_pageformat.h"
#include "hostdata/field_map.h"
#include "hostdata/host_calls.h"
#include "hostdata/versioned_field_maps.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "tests/support/fresh_host_fixture.h"
#include "tests/support/page_format_loads.h"

namespace {

using Lines = std::vector<std::string>;
using hostdata::OtherTag;
using namespace page_format_loads;

// A document whose score page format has system indent 30 and first-system
// indent 90, whose parts page format has 20 and 60, and whose extra values
// are 11, 12, 13 for the score and 21, 22, 23 for the parts.
class PageFormatPrefs : public HostTest {
protected:
    PageFormatPrefs() {
        for (const std::string &other : kScoreOthers) PutOther(other[0], other[1], 0, {});
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
    EXPECT_EQ(Calls(), ScoreLoads());
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_EQ(prefs.GetSystemIndent(), 30);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 90);
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{11, 12, 13}));
}

TEST_F(PageFormatPrefs, ThePartsAreFourOtherRecordsAndAreWhatLoadFirstAndReloadLoad) {
    ASSERT_TRUE(prefs.LoadFirst());
    const Lines partsLoad = PartsLoads();
    EXPECT_EQ(Calls(), partsLoad);
    EXPECT_EQ(prefs.GetDataKey().item, 1);
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_EQ(prefs.GetSystemIndent(), 20);
    EXPECT_EQ(prefs.GetFirstSystemIndent(), 60);
    EXPECT_EQ(Extras(prefs), (std::array<int16_t, 3>{21, 22, 23}));

    host.ClearTrace();
    ASSERT_TRUE(prefs.Reload());
    EXPECT_EQ(Calls(), partsLoad);
    for (int16_t inci = 0; inci < 4; ++inci) host.Records().Erase({OtherTag('7', '7'), -2, inci});
    EXPECT_FALSE(prefs.Reload());
    EXPECT_EQ(prefs.GetLoadedSize(), 0u);
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

// The host may supply some of a page format's other records and not
// others: the record loads with what it got and tells which fields those
// are; a field it did not get keeps what the record held.
TEST_F(PageFormatPrefs, TheScoreHoldsTheFieldsTheHostSupplied) {
    PutOther('3', '9', 0, {0, 0, 7, 0, 0, 0});
    ASSERT_TRUE(prefs.LoadItem(0));
    host.Records().Erase({OtherTag('3', '9'), -2, 0});
    standin::Bytes shortened(2, 0);  // 'ot03' word 0 only: offset 44, not 46
    host.Records().Put({OtherTag('0', '3'), -2, 0}, shortened);
    ASSERT_TRUE(prefs.LoadItem(0));
    EXPECT_EQ(prefs.GetLoadedSize(), 48u);
    EXPECT_FALSE(prefs.HoldsField(8, 2));
    EXPECT_EQ(hostdata::ReadU16(prefs.HeldBytes(), 8), 7) << "kept from the earlier load";
    EXPECT_TRUE(prefs.HoldsField(0, 8) && prefs.HoldsField(10, 34));
    EXPECT_TRUE(prefs.HoldsSystemIndent());
    EXPECT_EQ(prefs.GetSystemIndent(), 30);
    EXPECT_FALSE(prefs.HoldsFirstSystemIndent());
    EXPECT_FALSE(prefs.HoldsField(46, 4)) << "past the record";
}

TEST_F(PageFormatPrefs, ThePartsHoldTheRecordsTheHostSupplied) {
    host.Records().Erase({OtherTag('7', '7'), -2, 3});
    ASSERT_TRUE(prefs.LoadItem(1));
    EXPECT_TRUE(prefs.HoldsField(0, 36));
    EXPECT_FALSE(prefs.HoldsField(36, 2));
    EXPECT_TRUE(prefs.HoldsSystemIndent());
    EXPECT_FALSE(prefs.HoldsFirstSystemIndent());
}

TEST_F(PageFormatPrefs, ARecordTheHostSuppliedNothingOfHasNotLoaded) {
    for (const std::string &other : kScoreOthers) {
        host.Records().Erase({OtherTag(other[0], other[1]), -2, 0});
    }
    for (int16_t inci = 0; inci < 4; ++inci) host.Records().Erase({OtherTag('7', '7'), -2, inci});
    for (const uint16_t variant : {0, 1}) {
        EXPECT_FALSE(prefs.LoadItem(variant));
        EXPECT_EQ(prefs.GetLoadedSize(), 0u);
        EXPECT_FALSE(prefs.HoldsSystemIndent() || prefs.HoldsFirstSystemIndent());
        EXPECT_FALSE(prefs.Save());
    }
}

// A variant's three extra values are taken together, or not at all: the
// record stays loaded and the load answers false.
TEST_F(PageFormatPrefs, TheExtraValuesOfAVariantComeTogether) {
    struct Case {
        char other[2];
        int16_t inci;
        bool score, parts;  // whether the variant's values still load
    };
    for (const Case &c : {Case{{'9', '3'}, 0, false, false}, Case{{'0', '1'}, 0, false, true},
                          Case{{'7', '7'}, 4, true, false}}) {
        const standin::RecordKey key{OtherTag(c.other[0], c.other[1]), -2, c.inci};
        const standin::Bytes held = *host.Records().Find(key);
        host.Records().Erase(key);
        for (const uint16_t variant : {0, 1}) {
            FCPageFormatPrefs loaded;
            loaded.SetExtraValue1(-1);
            const bool extras = variant == 0 ? c.score : c.parts;
            EXPECT_EQ(loaded.LoadItem(variant), extras) << c.other[0] << c.other[1] << variant;
            EXPECT_EQ(loaded.GetLoadedSize(), 48u);
            EXPECT_EQ(loaded.GetSystemIndent(), variant == 0 ? 30 : 20);
            EXPECT_EQ(loaded.GetExtraValue1(), extras ? (variant == 0 ? 11 : 21) : -1);
        }
        host.Records().Put(key, held);
    }
}

TEST_F(PageFormatPrefs, ALoadKeepsTheInciItWasGiven) {
    prefs.SetDataKey({5, 7});
    ASSERT_TRUE(prefs.LoadItem(0));
    EXPECT_EQ(prefs.GetDataKey().item, 0);
    EXPECT_EQ(prefs.GetDataKey().inci, 7);
    ASSERT_TRUE(prefs.LoadPrefsRecord(1));
    EXPECT_EQ(prefs.GetDataKey().inci, 7);
}

TEST_F(PageFormatPrefs, ACopyHoldsTheFieldsItsSourceHeld) {
    host.Records().Erase({OtherTag('0', '3'), -2, 0});
    FCPageFormatPrefs source;
    ASSERT_TRUE(source.LoadItem(0));
    prefs.CopyDataFrom(source);
    EXPECT_TRUE(prefs.HoldsSystemIndent());
    EXPECT_FALSE(prefs.HoldsFirstSystemIndent());
    prefs.CopyDataFrom(FCPageFormatPrefs());
    EXPECT_TRUE(prefs.HoldsField(0, 48)) << "a copy of nothing is a whole record of its own";
}

// A save writes back only the fields the host supplied.
TEST_F(PageFormatPrefs, SavingTheScoreWritesOnlyTheFieldsTheHostSupplied) {
    host.Records().Erase({OtherTag('3', '9'), -2, 0});
    ASSERT_TRUE(prefs.LoadItem(0));
    PutOther('3', '9', 0, {});
    auto *record = static_cast<uint8_t *>(prefs.GetRecordBuffer());
    hostdata::WriteU16(record, 8, 8);    // 'ot39', which the load did not get
    hostdata::WriteU16(record, 46, 46);  // 'ot03'
    host.ClearTrace();
    EXPECT_TRUE(prefs.Save());
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              Lines{"FX_SaveEData 'ot03' (-2,0) length 12 v=0x19000000 -> 1"});
    EXPECT_EQ(OtherWord('3', '9', 0, 2), 0);
}

TEST_F(PageFormatPrefs, ThePartsHeldOnlyInPartAreNotSaved) {
    host.Records().Erase({OtherTag('7', '7'), -2, 2});
    ASSERT_TRUE(prefs.LoadItem(1));
    PutOther('7', '7', 2, {});
    host.ClearTrace();
    EXPECT_FALSE(prefs.Save());
    EXPECT_TRUE(host.Trace().empty());
}

// The other variant's extra values go back only as the host holds them;
// this variant's are written into whatever records the host supplies whole.
TEST_F(PageFormatPrefs, SavingTheExtraValuesLeavesTheOtherVariantsAsTheHostHasThem) {
    ASSERT_TRUE(prefs.LoadItem(0));
    host.Records().Erase({OtherTag('7', '7'), -2, 4});  // the parts' extra value 3
    prefs.SetExtraValue1(41);
    prefs.SetExtraValue3(43);
    host.ClearTrace();
    EXPECT_TRUE(prefs.Save());
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (Lines{"FX_SaveEData 'ot01' (-2,0) length 12 v=0x19000000 -> 1",
                     "FX_SaveEData 'ot93' (-2,0) length 12 v=0x19000000 -> 1"}));
    EXPECT_EQ(host.Records().Find({OtherTag('7', '7'), -2, 4}), nullptr);
    EXPECT_EQ(OtherWord('9', '3', 0, 2), 41);
    EXPECT_EQ(OtherWord('9', '3', 0, 4), 21);

    host.Records().Erase({OtherTag('9', '3'), -2, 0});
    prefs.SetExtraValue1(45);
    prefs.SetExtraValue2(42);
    EXPECT_FALSE(prefs.Save()) << "'ot93' holds the score's extra value 1";
    EXPECT_EQ(OtherWord('7', '6', 0, 3), 42) << "the others are still written";
}

// Every preference record that is served field by field: loaded, every
// field changed, saved, loaded again. Versioned maps go through the
// framework's own preference object, plain maps through the plain load and
// save of a data object; the storage of both is just the room the fields
// reach.
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

class AnyRecord : public __FCNoInciOther {
public:
    AnyRecord(uint32_t tag, uint32_t recordSize) : tag(tag), recordSize(recordSize) {}
    int32_t GetClassID() const override { return 1; }
    void *GetRecordBuffer() override { return record.data(); }
    AnyRecord *CreateObject() const override { return new AnyRecord(tag, recordSize); }
    uint32_t GetDataTag() const override { return tag; }
    uint32_t GetRecordSize() const override { return recordSize; }

    const uint32_t tag, recordSize;
    std::array<uint8_t, 112> record{};
};

// A preference class without a copy of its own takes the record into a block
// of its own, and which fields the host supplied.
TEST_F(PageFormatPrefs, TheGenericCopyTakesTheFieldsItsSourceHeld) {
    host.Records().Erase({OtherTag('1', '7'), -2, 0});
    AnyPrefs source(hostdata::kPageFormatTag, 48), copy(hostdata::kPageFormatTag, 48);
    copy.CopyDataFrom(source);
    EXPECT_EQ(copy.GetLoadedSize(), 0u) << "a source that holds nothing gives nothing";
    ASSERT_TRUE(source.LoadItem(0));
    copy.CopyDataFrom(source);
    EXPECT_TRUE(copy.IsBufferOwned());
    EXPECT_EQ(copy.GetLoadedSize(), 48u);
    EXPECT_TRUE(copy.HoldsField(46, 2));
    EXPECT_FALSE(copy.HoldsField(28, 2));
    EXPECT_EQ(hostdata::ReadU16(copy.HeldBytes(), 46), 90);
}

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
        const auto extent = static_cast<uint32_t>(hostdata::Extent(Map()));
        if (GetParam().versioned) {
            AnyPrefs prefs(Tag(), extent);
            if (!prefs.LoadItem(GetParam().selector)) return false;
            record = prefs.record;
            return prefs.GetLoadedSize() == static_cast<uint64_t>(hostdata::ReportedSize(Map()));
        }
        AnyRecord plain(Tag(), extent);
        if (!plain.LoadItem(GetParam().selector)) return false;
        record = plain.record;
        return plain.GetLoadedSize() == static_cast<uint64_t>(hostdata::ReportedSize(Map()));
    }

    // Loads the record afresh, puts these bytes in its place and saves it.
    template <typename Prefs>
    bool SaveThrough(Prefs &&prefs, const Record &record) {
        if (!prefs.LoadItem(GetParam().selector)) return false;
        host.ClearTrace();
        prefs.record = record;
        return prefs.Save();
    }

    bool Save(const Record &record) {
        const auto extent = static_cast<uint32_t>(hostdata::Extent(Map()));
        if (GetParam().versioned) return SaveThrough(AnyPrefs(Tag(), extent), record);
        return SaveThrough(AnyRecord(Tag(), extent), record);
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
    ::testing::Values(MapCase{"pfDP", 0, true}, MapCase{"pfEX", 0, true}, MapCase{"pfGp", 0, true},
                      MapCase{"pfGp", 1, true}, MapCase{"pfMI", 0, true}, MapCase{"pfMS", 0, true},
                      MapCase{"pfPB", 0, true}, MapCase{"pfPF", 0, true}, MapCase{"pfPL", 0, true},
                      MapCase{"pfRP", 0, true}, MapCase{"pfSI", 0, true}, MapCase{"pfSS", 0, true},
                      MapCase{"pfSp", 0, true}, MapCase{"pfSp", 1, true}, MapCase{"pfTI", 0, true},
                      MapCase{"pfly", 0, true}, MapCase{"pfmm", 0, true}, MapCase{"pfpS", 0, true}),
    MapCaseName);

INSTANTIATE_TEST_SUITE_P(PlainMaps, PreferenceRoundTrip,
                         ::testing::Values(MapCase{"pfPF", 0, false}, MapCase{"pf05", 0, false},
                                           MapCase{"pfDP", 0, false}, MapCase{"pfEX", 0, false},
                                           MapCase{"pfMS", 0, false}, MapCase{"pfPB", 0, false},
                                           MapCase{"pfPL", 0, false}, MapCase{"pfRP", 0, false},
                                           MapCase{"pfSI", 0, false}, MapCase{"pfSS", 0, false}),
                         MapCaseName);

}  // namespace
