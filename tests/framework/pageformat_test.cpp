#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "framework/fc_pageformat.h"
#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"
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

    Lines Saves() const {
        Lines saves;
        for (const auto &call : host.Trace()) {
            if (call.function == "FX_SaveEData") saves.push_back(call.ToString());
        }
        return saves;
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
    EXPECT_TRUE(Saves().empty());
}

TEST_F(PageFormatPrefs, SavingThePartsWritesOnlyThePartsExtraValues) {
    ASSERT_TRUE(prefs.LoadItem(1));
    prefs.SetExtraValue1(31);
    prefs.SetExtraValue2(32);
    prefs.SetExtraValue3(33);
    host.ClearTrace();
    EXPECT_TRUE(prefs.Save());
    EXPECT_EQ(Saves(), (Lines{"FX_SaveEData 'ot77' (-2,0) length 12 v=0x19000000 -> 1",
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

}  // namespace
