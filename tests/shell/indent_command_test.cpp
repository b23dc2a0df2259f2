#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

#include "interface/data_tag.h"
#include "interface/finale_extension.h"
#include "interface/record_bytes.h"
#include "standin/document/document_builder.h"
#include "tests/support/fresh_host_fixture.h"
#include "tests/support/page_format_loads.h"

namespace {

using namespace standin::document_builder;

constexpr uint16_t kFinalBarlines = 0;
constexpr uint16_t kFullNames = 1;

class IndentCommand : public HostTest {
protected:
    IndentCommand() { AddPageFormats(host); }

    // The worked example: systems at measures 1, 4, 8, 11 and 15; measure 7
    // ends in a final barline; measure 11 asks for full names.
    void UseWorkedExample() {
        AddSystems(host, {1, 4, 8, 11, 15});
        AddMeasures(host, 20);
        SetBarlineStyle(host, 7, 5);
        SetShowsFullNames(host, 11);
    }

    void Run(uint16_t menuIndex, int16_t start, int16_t end, uint32_t hostVersion = 0x12000000) {
        FinaleExtensionVersion(hostVersion);
        RememberSystems();
        const auto selection = Selection(start, end);
        EXPECT_EQ(FinaleExtensionInvoke(nullptr, menuIndex, selection.data()), 1u);
    }

    void RememberSystems() {
        for (const auto &[key, bytes] : host.Records().All()) {
            if (key.tag == hostdata::kStaffSystemTag) loaded[key.item] = bytes;
        }
    }

    std::vector<uint16_t> Indents() const {
        std::vector<uint16_t> indents;
        for (const auto &[item, bytes] : loaded) indents.push_back(LeftIndent(host, item));
        return indents;
    }

    std::vector<std::string> MeasureLoads() const {
        std::vector<std::string> lines;
        for (const auto &call : host.Trace()) {
            if (call.tag == hostdata::kMeasureTag) lines.push_back(call.ToString());
        }
        return lines;
    }

    // Whatever the command did, no saved system differs from what was
    // last loaded under its key outside its left indent.
    void TearDown() override {
        std::map<int16_t, standin::Bytes> lastLoaded;
        for (const auto &call : host.Trace()) {
            if (call.function == "FX_LoadEData" && call.tag == hostdata::kStaffSystemTag) {
                lastLoaded[call.itemIn] = call.data;
            }
            if (call.function != "FX_SaveEData") continue;
            ASSERT_EQ(call.tag, hostdata::kStaffSystemTag) << call.ToString();
            standin::Bytes expected = lastLoaded.at(call.itemIn);
            ASSERT_GE(expected.size(), 10u) << "a system without its first measure was saved";
            ASSERT_EQ(call.data.size(), expected.size());
            expected[2] = call.data[2];
            expected[3] = call.data[3];
            EXPECT_EQ(call.data, expected) << call.ToString();
        }
    }

    std::map<int16_t, standin::Bytes> loaded;
};

std::vector<std::string> SystemLoads(int count) {
    std::vector<std::string> lines;
    for (int item = 1; item <= count; ++item) {
        const std::string key = "(" + std::to_string(item) + ",0)";
        if (item > 1) {
            lines.push_back("FX_NextEData 'SOSS' (" + std::to_string(item - 1) + ",0)->" + key +
                            " v=0x19000000 -> 1");
        }
        lines.push_back("FX_LoadEData 'SOSS' " + key + " room 28 v=0x19000000 -> 1 size 28");
        lines.push_back("FX_GetCurrentEnigmaDocument v=0x19000000 -> 1");
    }
    lines.push_back("FX_NextEData 'SOSS' (" + std::to_string(count) + ",0) v=0x19000000 -> 0");
    return lines;
}

std::vector<std::string> SystemSaves(int count) {
    std::vector<std::string> lines;
    for (int item = 1; item <= count; ++item) {
        lines.push_back("FX_SaveEData 'SOSS' (" + std::to_string(item) +
                        ",0) length 28 v=0x19000000 -> 1");
    }
    return lines;
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(IndentCommand, WorkedExampleAfterFinalBarlinesMakesExactlyTheseHostCalls) {
    UseWorkedExample();
    Run(kFinalBarlines, 5, 12);
    EXPECT_EQ(Calls(), Concat({SystemLoads(5),
                               {"FX_GetCurrentPartID v=0x19000000 -> 0"},
                               page_format_loads::ScoreLoads(),
                               {"FX_LoadEData 'SOMS' (7,0) room 30 v=0x12000000 -> 1 size 30",
                                "FX_GetCurrentEnigmaDocument v=0x19000000 -> 1",
                                "FX_LoadEData 'SOMS' (10,0) room 30 v=0x12000000 -> 1 size 30",
                                "FX_GetCurrentEnigmaDocument v=0x19000000 -> 1"},
                               SystemSaves(5)}));
    // Systems 1, 2 and 5 keep their own bytes; system 2 reaches into the
    // selection but begins before it.
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{LeftIndent(host, 1), LeftIndent(host, 2), 144, 0,
                                                LeftIndent(host, 5)}));
    EXPECT_EQ(LeftIndent(host, 1), 0x1312);
    EXPECT_EQ(LeftIndent(host, 2), 0x2322);
    EXPECT_EQ(LeftIndent(host, 5), 0x5352);
}

TEST_F(IndentCommand, WorkedExampleForFullNamesLoadsEachSystemsOwnMeasure) {
    UseWorkedExample();
    Run(kFullNames, 5, 12);
    EXPECT_EQ(MeasureLoads(), (std::vector<std::string>{
                                  "FX_LoadEData 'SOMS' (8,0) room 30 v=0x12000000 -> 1 size 30",
                                  "FX_LoadEData 'SOMS' (11,0) room 30 v=0x12000000 -> 1 size 30"}));
    EXPECT_EQ(LeftIndent(host, 3), 0);
    EXPECT_EQ(LeftIndent(host, 4), 144);
    EXPECT_EQ(CallsOf("FX_SaveEData"), SystemSaves(5));
}

TEST_F(IndentCommand, AnyNonzeroMenuIndexRunsTheFullNamesCommand) {
    UseWorkedExample();
    Run(5, 11, 11);
    EXPECT_EQ(LeftIndent(host, 4), 144);
}

TEST_F(IndentCommand, SystemAtMeasureOneGetsTheFirstSystemIndentWithoutAMeasureLoad) {
    AddSystems(host, {1, 5});
    AddMeasures(host, 8);
    Run(kFinalBarlines, 1, 8);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{144, 0}));
    EXPECT_EQ(MeasureLoads(), std::vector<std::string>{
                                  "FX_LoadEData 'SOMS' (4,0) room 30 v=0x12000000 -> 1 size 30"});
}

TEST_F(IndentCommand, AFinalBarlineCountsOnlyForTheSystemThatFollowsIt) {
    AddSystems(host, {1, 5, 9});
    AddMeasures(host, 12);
    SetBarlineStyle(host, 4, 5);  // just before the selection: affects system 2
    SetBarlineStyle(host, 8, 5);  // last measure of the selection
    Run(kFinalBarlines, 5, 8);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{LeftIndent(host, 1), 144, LeftIndent(host, 3)}));
}

TEST_F(IndentCommand, OnlyStyleFiveIsAFinalBarline) {
    std::vector<int16_t> starts;
    for (int16_t style = 0; style < 16; ++style)
        starts.push_back(static_cast<int16_t>(2 * style + 2));
    AddSystems(host, starts);
    AddMeasures(host, 40);
    for (int16_t style = 0; style < 16; ++style) SetBarlineStyle(host, 2 * style + 1, style);
    Run(kFinalBarlines, 2, 40);
    const auto indents = Indents();
    for (int style = 0; style < 16; ++style) {
        EXPECT_EQ(indents[style], style == 5 ? 144 : 0) << "style " << style;
    }
}

TEST_F(IndentCommand, APartUsesThePartsPageFormatWhateverItsNumber) {
    UseWorkedExample();
    host.SetCurrentPart(3);
    Run(kFinalBarlines, 1, 12);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{kPartsFirstSystemIndent, kPartsSystemIndent,
                                                kPartsFirstSystemIndent, kPartsSystemIndent,
                                                LeftIndent(host, 5)}));
    EXPECT_EQ(CallsOf("FX_LoadEData")[5],
              "FX_LoadEData 'ot77' (-2,0) room 12 v=0x19000000 -> 1 size 12");
}

TEST_F(IndentCommand, APartNumberWhoseLow16BitsAreZeroIsTheScore) {
    UseWorkedExample();
    host.SetCurrentPart(0x10000);
    Run(kFinalBarlines, 8, 8);
    EXPECT_EQ(LeftIndent(host, 3), kScoreFirstSystemIndent);
    host.SetCurrentPart(0x100);
    Run(kFinalBarlines, 8, 8);
    EXPECT_EQ(LeftIndent(host, 3), kPartsFirstSystemIndent) << "a low byte of 0 is not enough";
}

TEST_F(IndentCommand, WithoutAPartQueryTheHostIsTakenToShowAPart) {
    UseHost({"FINALE.EXE", {"FX_GetCurrentPartID"}});
    UseWorkedExample();
    Run(kFinalBarlines, 8, 8);
    EXPECT_EQ(LeftIndent(host, 3), kPartsFirstSystemIndent);
}

TEST_F(IndentCommand, AnEmptyOrReversedSelectionChangesNothingButSavesEverySystem) {
    UseWorkedExample();
    FinaleExtensionVersion(0x12000000);
    RememberSystems();
    EXPECT_EQ(FinaleExtensionInvoke(nullptr, kFinalBarlines, nullptr), 1u);
    const auto reversed = Selection(12, 5);
    EXPECT_EQ(FinaleExtensionInvoke(nullptr, kFullNames, reversed.data()), 1u);
    EXPECT_TRUE(MeasureLoads().empty());
    EXPECT_EQ(CallsOf("FX_SaveEData"), Concat({SystemSaves(5), SystemSaves(5)}));
    for (int16_t item = 1; item <= 5; ++item) {
        EXPECT_EQ(*host.Records().Find({hostdata::kStaffSystemTag, item, 0}), loaded[item]);
    }
}

TEST_F(IndentCommand, ADocumentWithoutSystemsIsLeftAlone) {
    AddMeasures(host, 4);
    Run(kFinalBarlines, 1, 4);
    EXPECT_TRUE(CallsOf("FX_UpdateLayout").empty());
    EXPECT_TRUE(MeasureLoads().empty());
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

TEST_F(IndentCommand, SystemsNotLaidOutAreLaidOutOnceAndReloaded) {
    AddSystems(host, {0, 0, 0});
    host.Layout() = {{1, 1}, {2, 5}, {3, 9}};
    AddMeasures(host, 12);
    SetBarlineStyle(host, 8, 5);
    Run(kFinalBarlines, 1, 12);
    EXPECT_EQ(CallsOf("FX_UpdateLayout"),
              std::vector<std::string>{"FX_UpdateLayout 1 0 v=0x19000000 -> 1"});
    EXPECT_EQ(CallsOf("FX_LoadEData")[3],
              "FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000 -> 1 size 28");
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{144, 0, 144}));
}

TEST_F(IndentCommand, OnlyTheFirstOfTwoSystemsAtOneMeasureIsHandled) {
    AddSystems(host, {3, 3});
    AddMeasures(host, 4);
    SetBarlineStyle(host, 2, 5);
    Run(kFinalBarlines, 1, 4);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{144, LeftIndent(host, 2)}));
    EXPECT_EQ(LeftIndent(host, 2), 0x2322);
}

// Whatever order the host lists its systems in, they are handled in measure
// order; of two at one measure, the first the host lists.
TEST_F(IndentCommand, SystemsAreHandledInMeasureOrderWhateverTheHostsOrder) {
    AddSystems(host, {9, 5, 1, 5});
    AddMeasures(host, 12);
    SetBarlineStyle(host, 4, 5);
    Run(kFinalBarlines, 1, 12);
    EXPECT_EQ(MeasureLoads(), (std::vector<std::string>{
                                  "FX_LoadEData 'SOMS' (4,0) room 30 v=0x12000000 -> 1 size 30",
                                  "FX_LoadEData 'SOMS' (8,0) room 30 v=0x12000000 -> 1 size 30"}));
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{0, 144, 144, LeftIndent(host, 4)}));
    EXPECT_EQ(LeftIndent(host, 4), 0x4342);
}

TEST_F(IndentCommand, SavingStopsAtTheFirstSystemTheHostRefuses) {
    UseWorkedExample();
    host.FailCallsWhere([](const standin::HostCall &call) {
        return call.function == "FX_SaveEData" && call.itemIn == 3;
    });
    Run(kFinalBarlines, 1, 20);
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (std::vector<std::string>{"FX_SaveEData 'SOSS' (1,0) length 28 v=0x19000000 -> 1",
                                        "FX_SaveEData 'SOSS' (2,0) length 28 v=0x19000000 -> 1",
                                        "FX_SaveEData 'SOSS' (3,0) length 28 v=0x19000000 -> 0"}));
    EXPECT_EQ(LeftIndent(host, 4), 0x4342);
}

TEST_F(IndentCommand, AHostWithoutDataFunctionsSeesNoSave) {
    UseHost({"FINALE.EXE", {"FX_LoadEData"}});
    UseWorkedExample();
    Run(kFinalBarlines, 1, 20);
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

TEST_F(IndentCommand, AHostUnderAnotherNameIsServedThroughTheProgramItself) {
    UseHost({"OTHER.EXE", {}});
    UseWorkedExample();
    Run(kFinalBarlines, 5, 12);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{LeftIndent(host, 1), LeftIndent(host, 2), 144, 0,
                                                LeftIndent(host, 5)}));
}

// The host version decides whether the full-names flag counts (from
// 0x10000000, compared unsigned) and which measure layout is read (the
// 30-byte one from 0x12000000).
struct HostVersionCase {
    uint32_t version;
    bool fullNamesCount;
    bool longMeasures;
};

// How measure 7 is asked for, in the short or the long layout.
std::string Measure7Load(bool longMeasures) {
    return longMeasures ? "FX_LoadEData 'SOMS' (7,0) room 30 v=0x12000000 -> 1 size 30"
                        : "FX_LoadEData 'SOMS' (7,0) room 26 v=0x0A000000 -> 1 size 26";
}

class OnHostVersion : public IndentCommand,
                      public ::testing::WithParamInterface<HostVersionCase> {};

TEST_P(OnHostVersion, TheFullNamesFlagCountsOnlyFrom0x10000000) {
    UseWorkedExample();
    Run(kFullNames, 1, 20, GetParam().version);
    EXPECT_EQ(Indents(), GetParam().fullNamesCount ? (std::vector<uint16_t>{144, 0, 0, 144, 0})
                                                   : (std::vector<uint16_t>{144, 0, 0, 0, 0}));
    EXPECT_EQ(MeasureLoads().size(), 5u) << "each system's measure is loaded all the same";
}

TEST_P(OnHostVersion, MeasuresAreReadInTheHostsLayout) {
    UseWorkedExample();
    Run(kFinalBarlines, 8, 8, GetParam().version);
    EXPECT_EQ(MeasureLoads(), std::vector<std::string>{Measure7Load(GetParam().longMeasures)});
    EXPECT_EQ(LeftIndent(host, 3), 144);
}

INSTANTIATE_TEST_SUITE_P(Versions, OnHostVersion,
                         ::testing::Values(HostVersionCase{0x0FFFFFFF, false, false},
                                           HostVersionCase{0x10000000, true, false},
                                           HostVersionCase{0x11FFFFFF, true, false},
                                           HostVersionCase{0x12000000, true, true},
                                           HostVersionCase{0x80000000, true, true},
                                           HostVersionCase{0xFFFFFFFF, true, true}),
                         [](const ::testing::TestParamInfo<HostVersionCase> &info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Host%08X", info.param.version);
                             return std::string(name);
                         });

// A measure that cannot be read leaves its system as it is, but only where
// the choice reads that measure; the measures are loaded all the same.
constexpr uint16_t kUnchanged = 0xFFFF;

struct UnreadableMeasureCase {
    const char *name;
    uint16_t command;
    uint32_t version;
    int16_t measure;  // the one the host refuses
    int16_t system;
    uint16_t indent;  // kUnchanged: the system keeps its own
};

class UnreadableMeasure : public IndentCommand,
                          public ::testing::WithParamInterface<UnreadableMeasureCase> {};

TEST_P(UnreadableMeasure, SkipsOnlyTheSystemWhoseChoiceItDecides) {
    UseWorkedExample();
    const UnreadableMeasureCase &c = GetParam();
    host.FailCallsWhere([&c](const standin::HostCall &call) {
        return call.tag == hostdata::kMeasureTag && call.itemIn == c.measure;
    });
    const uint16_t own = LeftIndent(host, c.system);
    Run(c.command, 1, 20, c.version);
    EXPECT_EQ(LeftIndent(host, c.system), c.indent == kUnchanged ? own : c.indent);
    EXPECT_EQ(LeftIndent(host, 2), 0) << "the other systems are handled";
    EXPECT_EQ(MeasureLoads().size(), c.command == kFullNames ? 5u : 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Measures, UnreadableMeasure,
    ::testing::Values(
        UnreadableMeasureCase{"FullNamesAtMeasureOne", kFullNames, 0x12000000, 1, 1, 144},
        UnreadableMeasureCase{"FullNamesOnAHostWithoutTheFlag", kFullNames, 0x0FFFFFFF, 11, 4, 0},
        UnreadableMeasureCase{"FullNamesWhereTheFlagDecides", kFullNames, 0x12000000, 11, 4,
                              kUnchanged},
        UnreadableMeasureCase{"FinalBarlineBeforeTheSystem", kFinalBarlines, 0x12000000, 7, 3,
                              kUnchanged}),
    [](const ::testing::TestParamInfo<UnreadableMeasureCase> &info) { return info.param.name; });

// Systems still at measure 0: one layout update (when the host has one),
// one reload, whatever the update did, and then the system indent.
struct NotLaidOutCase {
    const char *name;
    uint16_t command;
    bool hostUpdatesLayout;
};

class NotLaidOut : public IndentCommand, public ::testing::WithParamInterface<NotLaidOutCase> {};

TEST_P(NotLaidOut, SystemsAreReloadedOnceAndThoseStillAtZeroGetTheSystemIndent) {
    if (!GetParam().hostUpdatesLayout) UseHost({"FINALE.EXE", {"FX_UpdateLayout"}});
    AddSystems(host, {0, 0, 5});
    AddMeasures(host, 8);
    SetBarlineStyle(host, 4, 5);
    SetShowsFullNames(host, 5);
    Run(GetParam().command, 0, 8);
    const auto updates = CallsOf("FX_UpdateLayout");
    EXPECT_EQ(updates.size(), GetParam().hostUpdatesLayout ? 1u : 0u);
    const auto calls = Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(),
                         "FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000 -> 1 size 28"),
              2);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{0, LeftIndent(host, 2), 144}))
        << "only the first of the systems at measure 0 is handled";
    EXPECT_NE(LeftIndent(host, 2), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, NotLaidOut,
    ::testing::Values(NotLaidOutCase{"FinalBarlines", kFinalBarlines, true},
                      NotLaidOutCase{"FullNames", kFullNames, true},
                      NotLaidOutCase{"FinalBarlinesWithoutALayoutUpdate", kFinalBarlines, false},
                      NotLaidOutCase{"FullNamesWithoutALayoutUpdate", kFullNames, false}),
    [](const ::testing::TestParamInfo<NotLaidOutCase> &info) { return info.param.name; });

// Each indent is written only where the host supplied it: a system whose
// rule chooses an indent the host did not supply keeps its own and is not
// saved; the others are handled as ever. Without either indent the document
// is left alone. The extra values are not needed.
constexpr int kRefused = -1;

struct PageFormatCase {
    const char *name;
    int32_t currentPart;
    // Other records the host supplies short (that many bytes) or refuses.
    std::vector<std::tuple<char, char, int16_t, int>> supplies;
    std::vector<uint16_t> indents;  // of the five systems; kUnchanged: its own
    std::vector<int16_t> saved;
};

class PageFormatFields : public IndentCommand,
                         public ::testing::WithParamInterface<PageFormatCase> {};

TEST_P(PageFormatFields, SetOnlyTheIndentsTheHostSupplied) {
    UseWorkedExample();
    const PageFormatCase &c = GetParam();
    host.SetCurrentPart(c.currentPart);
    std::vector<standin::RecordKey> refused;
    for (const auto &[c1, c2, inci, size] : c.supplies) {
        const standin::RecordKey key{hostdata::OtherTag(c1, c2), -2, inci};
        if (size == kRefused) {
            refused.push_back(key);
            continue;
        }
        standin::Bytes bytes = *host.Records().Find(key);
        bytes.resize(static_cast<std::size_t>(size));
        host.Records().Put(key, bytes);
    }
    host.FailCallsWhere([refused](const standin::HostCall &call) {
        return std::any_of(refused.begin(), refused.end(), [&call](const standin::RecordKey &key) {
            return call.tag == key.tag && call.inciIn == key.inci;
        });
    });
    std::vector<uint16_t> expected;
    for (int16_t item = 1; item <= 5; ++item) {
        const uint16_t indent = c.indents[static_cast<std::size_t>(item - 1)];
        expected.push_back(indent == kUnchanged ? LeftIndent(host, item) : indent);
    }
    Run(kFinalBarlines, 1, 20);
    EXPECT_EQ(Indents(), expected);
    std::vector<std::string> saves;
    for (const int16_t item : c.saved) {
        saves.push_back("FX_SaveEData 'SOSS' (" + std::to_string(item) +
                        ",0) length 28 v=0x19000000 -> 1");
    }
    EXPECT_EQ(CallsOf("FX_SaveEData"), saves);
    if (saves.empty()) {
        EXPECT_TRUE(MeasureLoads().empty());
    }
}

constexpr uint16_t kFirst = kScoreFirstSystemIndent, kOther = kScoreSystemIndent;
constexpr uint16_t kPartsFirst = kPartsFirstSystemIndent, kPartsOther = kPartsSystemIndent;

INSTANTIATE_TEST_SUITE_P(
    Records, PageFormatFields,
    ::testing::Values(
        PageFormatCase{"Whole", 0, {}, {kFirst, kOther, kFirst, kOther, kOther}, {1, 2, 3, 4, 5}},
        PageFormatCase{"WithoutAFieldTheCommandDoesNotUse",
                       0,
                       {{'3', '9', 0, kRefused}},
                       {kFirst, kOther, kFirst, kOther, kOther},
                       {1, 2, 3, 4, 5}},
        PageFormatCase{"WithoutTheFirstSystemIndent",
                       0,
                       {{'0', '3', 0, kRefused}},
                       {kUnchanged, kOther, kUnchanged, kOther, kOther},
                       {2, 4, 5}},
        // Three bytes hold word 0 and half of word 1, the first-system indent.
        PageFormatCase{"FirstSystemIndentCutShort",
                       0,
                       {{'0', '3', 0, 3}},
                       {kUnchanged, kOther, kUnchanged, kOther, kOther},
                       {2, 4, 5}},
        PageFormatCase{"FirstSystemIndentJustSupplied",
                       0,
                       {{'0', '3', 0, 4}},
                       {kFirst, kOther, kFirst, kOther, kOther},
                       {1, 2, 3, 4, 5}},
        PageFormatCase{"WithoutTheSystemIndent",
                       0,
                       {{'1', '7', 0, 0}},
                       {kFirst, kUnchanged, kFirst, kUnchanged, kUnchanged},
                       {1, 3}},
        PageFormatCase{"WithoutEitherIndent",
                       0,
                       {{'1', '7', 0, kRefused}, {'0', '3', 0, 2}},
                       {kUnchanged, kUnchanged, kUnchanged, kUnchanged, kUnchanged},
                       {}},
        PageFormatCase{"WithoutTheScoreExtraValues",
                       0,
                       {{'9', '3', 0, kRefused}},
                       {kFirst, kOther, kFirst, kOther, kOther},
                       {1, 2, 3, 4, 5}},
        PageFormatCase{"PartsWithoutTheFirstSystemIndent",
                       2,
                       {{'7', '7', 3, 10}},
                       {kUnchanged, kPartsOther, kUnchanged, kPartsOther, kPartsOther},
                       {2, 4, 5}},
        PageFormatCase{"PartsWithoutTheSystemIndent",
                       2,
                       {{'7', '7', 2, kRefused}},
                       {kPartsFirst, kUnchanged, kPartsFirst, kUnchanged, kUnchanged},
                       {1, 3}},
        PageFormatCase{"PartsWithoutTheRecordsBeforeTheIndents",
                       2,
                       {{'7', '7', 0, kRefused}, {'7', '7', 1, 0}},
                       {kPartsFirst, kPartsOther, kPartsFirst, kPartsOther, kPartsOther},
                       {1, 2, 3, 4, 5}},
        PageFormatCase{"PartsWithoutTheirExtraValues",
                       2,
                       {{'7', '7', 4, kRefused}},
                       {kPartsFirst, kPartsOther, kPartsFirst, kPartsOther, kPartsOther},
                       {1, 2, 3, 4, 5}}),
    [](const ::testing::TestParamInfo<PageFormatCase> &info) { return info.param.name; });

// A measure record too short for the word that decides is one that could
// not be read: the system keeps its indent, and is still saved. One that
// just reaches the word decides by it.
struct ShortMeasureCase {
    const char *name;
    uint16_t command;
    uint32_t version;
    int16_t measure;
    std::size_t bytes;  // of the stored 30-byte record
    int16_t system;
    uint16_t indent;
};

class ShortMeasure : public IndentCommand,
                     public ::testing::WithParamInterface<ShortMeasureCase> {};

TEST_P(ShortMeasure, DecidesOnlyWhenItHoldsTheWord) {
    UseWorkedExample();
    const ShortMeasureCase &c = GetParam();
    standin::Bytes stored = *host.Records().Find({hostdata::kMeasureTag, c.measure, 0});
    stored.resize(c.bytes);
    host.PutMeasure(c.measure, stored);
    const uint16_t own = LeftIndent(host, c.system);
    Run(c.command, 1, 20, c.version);
    EXPECT_EQ(LeftIndent(host, c.system), c.indent == kUnchanged ? own : c.indent);
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(
    Measures, ShortMeasure,
    ::testing::Values(
        ShortMeasureCase{"BarlineCutOff", kFinalBarlines, 0x12000000, 7, 15, 3, kUnchanged},
        ShortMeasureCase{"BarlineJustHeld", kFinalBarlines, 0x12000000, 7, 16, 3, 144},
        // The 26-byte layout lacks bytes 4 to 7: its barline word ends at 12.
        ShortMeasureCase{"ShortLayoutBarlineCutOff", kFinalBarlines, 0x11000000, 7, 15, 3,
                         kUnchanged},
        ShortMeasureCase{"ShortLayoutBarlineJustHeld", kFinalBarlines, 0x11000000, 7, 16, 3, 144},
        ShortMeasureCase{"FlagsCutOff", kFullNames, 0x12000000, 11, 13, 4, kUnchanged},
        ShortMeasureCase{"FlagsJustHeld", kFullNames, 0x12000000, 11, 14, 4, 144},
        ShortMeasureCase{"ShortLayoutFlagsCutOff", kFullNames, 0x11000000, 11, 13, 4, kUnchanged},
        ShortMeasureCase{"ShortLayoutFlagsJustHeld", kFullNames, 0x11000000, 11, 14, 4, 144}),
    [](const ::testing::TestParamInfo<ShortMeasureCase> &info) { return info.param.name; });

// A staff system record too short for its first measure begins nowhere: it
// asks for no layout update, is in no selection, not even the empty one,
// takes no measure from the system that really begins there, and is never
// saved. One that just holds it is handled, and saved as long as it was
// loaded; it begins at measure 5 before system 3 does.
struct ShortSystemCase {
    const char *name;
    std::size_t bytes;
    bool handled;
};

class ShortSystem : public IndentCommand, public ::testing::WithParamInterface<ShortSystemCase> {};

TEST_P(ShortSystem, IsHandledOnlyWhenItHoldsItsFirstMeasure) {
    AddSystems(host, {1, 5, 5, 9});
    AddMeasures(host, 12);
    SetBarlineStyle(host, 4, 5);
    // Measure 5 at bytes 8 and 9: cut short, the record reads measure 0, or
    // 5 from byte 8 alone.
    const uint16_t third = LeftIndent(host, 3);
    standin::Bytes record = *host.Records().Find({hostdata::kStaffSystemTag, 2, 0});
    record.resize(GetParam().bytes);
    host.Records().Put({hostdata::kStaffSystemTag, 2, 0}, record);
    for (const auto &selection : {Selection(0, 0), Selection(1, 12)}) {
        host.ClearTrace();
        FinaleExtensionVersion(0x12000000);
        FinaleExtensionInvoke(nullptr, kFinalBarlines, selection.data());
        EXPECT_TRUE(CallsOf("FX_UpdateLayout").empty());
        const auto saves = CallsOf("FX_SaveEData 'SOSS' (2,0)");
        EXPECT_EQ(saves.size(), GetParam().handled ? 1u : 0u);
    }
    const standin::Bytes &after = *host.Records().Find({hostdata::kStaffSystemTag, 2, 0});
    ASSERT_EQ(after.size(), GetParam().bytes);
    if (GetParam().handled) {
        EXPECT_EQ(hostdata::ReadU16(after.data(), 2), 144);
        EXPECT_EQ(LeftIndent(host, 3), third);
    } else {
        EXPECT_EQ(after, record);
        EXPECT_EQ(LeftIndent(host, 3), 144);
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, ShortSystem,
                         ::testing::Values(ShortSystemCase{"WithoutItsLeftIndent", 3, false},
                                           ShortSystemCase{"WithItsLeftIndentOnly", 8, false},
                                           ShortSystemCase{"WithHalfItsFirstMeasure", 9, false},
                                           ShortSystemCase{"JustHoldingItsFirstMeasure", 10, true}),
                         [](const ::testing::TestParamInfo<ShortSystemCase> &info) {
                             return info.param.name;
                         });

TEST_F(IndentCommand, AnEmptySystemRecordIsPassedOverAndTheWalkGoesOn) {
    AddSystems(host, {1, 5, 8, 11});
    AddMeasures(host, 12);
    SetBarlineStyle(host, 7, 5);
    host.Records().Put({hostdata::kStaffSystemTag, 1, 0}, {});
    host.Records().Put({hostdata::kStaffSystemTag, 2, 0}, {});
    Run(kFinalBarlines, 1, 12);
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (std::vector<std::string>{"FX_SaveEData 'SOSS' (3,0) length 28 v=0x19000000 -> 1",
                                        "FX_SaveEData 'SOSS' (4,0) length 28 v=0x19000000 -> 1"}));
    EXPECT_EQ(LeftIndent(host, 3), 144);
    EXPECT_EQ(LeftIndent(host, 4), 0);
}

// System 2 is longer than the room and the host holds all of it; the
// others the host reports longer than it holds. The one goes back whole, the
// others are left as they are, and saving goes on past them.
TEST_F(IndentCommand, ALongSystemGoesBackWholeAndOneThatCannotBeToldIsLeftAsItIs) {
    AddSystems(host, {1, 5, 8, 11});
    AddMeasures(host, 12);
    SetBarlineStyle(host, 7, 5);
    const standin::RecordKey second{hostdata::kStaffSystemTag, 2, 0};
    standin::Bytes longer = *host.Records().Find(second);
    longer.resize(40, 0x5A);
    host.Records().Put(second, longer);
    host.BendLoadSizes([](int32_t room, int32_t *size) {
        if (*size == 28) *size = room == 28 ? 32 : room;
    });
    Run(kFinalBarlines, 1, 12);
    EXPECT_EQ(CallsOf("FX_SaveEData"),
              (std::vector<std::string>{"FX_SaveEData 'SOSS' (2,0) length 40 v=0x19000000 -> 1"}));
    const standin::Bytes &saved = *host.Records().Find(second);
    EXPECT_EQ(standin::Bytes(saved.begin() + 28, saved.end()), standin::Bytes(12, 0x5A));
}

// Systems before measure 1: the final barlines rule gives them the system
// indent without a measure; the full-names rule reads their own measure.
TEST_F(IndentCommand, ASystemBeforeMeasureOneIsHandledByEachRule) {
    AddSystems(host, {-3, 1, 5});
    AddMeasures(host, 8);
    host.PutMeasure(-3, standin::Bytes(30, 0));
    SetShowsFullNames(host, -3);
    SetBarlineStyle(host, 4, 5);
    Run(kFinalBarlines, -5, 8);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{0, 144, 144}));
    EXPECT_EQ(MeasureLoads(), std::vector<std::string>{
                                  "FX_LoadEData 'SOMS' (4,0) room 30 v=0x12000000 -> 1 size 30"});
    host.ClearTrace();
    Run(kFullNames, -5, 8);
    EXPECT_EQ(Indents(), (std::vector<uint16_t>{144, 144, 0}));
    EXPECT_EQ(MeasureLoads(), (std::vector<std::string>{
                                  "FX_LoadEData 'SOMS' (-3,0) room 30 v=0x12000000 -> 1 size 30",
                                  "FX_LoadEData 'SOMS' (1,0) room 30 v=0x12000000 -> 1 size 30",
                                  "FX_LoadEData 'SOMS' (5,0) room 30 v=0x12000000 -> 1 size 30"}));
}

}  // namespace
