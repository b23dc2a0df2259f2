// Each map's rows against the figures the host's records are known by: row
// count, reported size, extent, the other records in order of first use,
// the conversions used and the rows that must be exactly so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "hostdata/field_map.h"
#include "hostdata/record_redirection.h"
#include "hostdata/versioned_field_maps.h"
#include "interface/data_tag.h"

namespace {

using hostdata::FieldMap;
using hostdata::FieldMapRow;
using Texts = std::vector<std::string>;

std::string RecordText(const FieldMapRow &row) {
    std::string text = std::string("ot") + row.tag[0] + row.tag[1];
    if (row.item != 0) text += " item " + std::to_string(row.item);
    if (row.inci != 0) text += " inci " + std::to_string(row.inci);
    return text;
}

// "offset <- record word k, width, mode[, from host version]"
std::string RowText(const FieldMapRow &row) {
    std::string text = std::to_string(row.recordOffset) + " <- " + RecordText(row) + " w" +
                       std::to_string(row.fieldIndex) + " x" + std::to_string(row.width) + " m" +
                       std::to_string(row.mode);
    if (row.minimumHostVersion != 0) {
        char version[16];
        std::snprintf(version, sizeof version, " v%08X", row.minimumHostVersion);
        text += version;
    }
    return text;
}

std::vector<FieldMapRow> Rows(FieldMap map) { return {map.rows, map.rows + map.rowCount}; }

Texts RowTexts(FieldMap map) {
    Texts texts;
    for (const FieldMapRow &row : Rows(map)) texts.push_back(RowText(row));
    return texts;
}

std::string RecordsInOrderOfFirstUse(FieldMap map) {
    Texts records;
    for (const FieldMapRow &row : Rows(map)) {
        const std::string record = RecordText(row);
        if (std::find(records.begin(), records.end(), record) == records.end()) {
            records.push_back(record);
        }
    }
    std::string text;
    for (const std::string &record : records) text += (text.empty() ? "" : ", ") + record;
    return text;
}

std::string Modes(FieldMap map) {
    std::set<int> modes;
    for (const FieldMapRow &row : Rows(map)) modes.insert(row.mode);
    std::string text;
    for (int mode : modes) text += (text.empty() ? "" : " ") + std::to_string(mode);
    return text;
}

struct MapFigures {
    std::string tag;
    uint16_t selector;  // item number, or parts flag for the versioned maps
    int rows, size, extent;
    std::string modes;    // "0 1"
    std::string records;  // "ot14, ot41 inci 2, ..."
};

uint32_t Tag(const std::string &text) {
    return hostdata::MakeTag(text[0], text[1], text[2], text[3]);
}

void ExpectFigures(FieldMap map, const MapFigures &expected) {
    SCOPED_TRACE(expected.tag + " " + std::to_string(expected.selector));
    EXPECT_EQ(map.rowCount, expected.rows);
    EXPECT_EQ(hostdata::ReportedSize(map), expected.size);
    EXPECT_EQ(hostdata::Extent(map), expected.extent);
    EXPECT_EQ(RecordsInOrderOfFirstUse(map), expected.records);
    EXPECT_EQ(Modes(map), expected.modes);
    for (const FieldMapRow &row : Rows(map)) {
        SCOPED_TRACE(RowText(row));
        EXPECT_TRUE(row.width == 2 || row.width == 4);
        EXPECT_EQ(row.width == 4, row.mode == hostdata::kHighWordFirst);
        EXPECT_GE(row.fieldIndex, 0);
        EXPECT_LE(row.fieldIndex + row.width / 2, hostdata::kOtherRecordWords);
        EXPECT_EQ(row.recordOffset % 2, 0);
    }
}

// Fields may leave gaps but never overlap.
void ExpectNoOverlap(FieldMap map) {
    std::vector<bool> used(static_cast<std::size_t>(hostdata::Extent(map)), false);
    for (const FieldMapRow &row : Rows(map)) {
        for (int b = 0; b < hostdata::FieldWidth(row); ++b) {
            EXPECT_FALSE(used[row.recordOffset + b]) << RowText(row);
            used[row.recordOffset + b] = true;
        }
    }
}

const std::vector<MapFigures> kPlainMaps = {
    {"pfPF", 0, 22, 48, 48, "0 1", "ot14, ot15, ot39, ot16, ot02, ot17, ot01, ot13, ot03"},
    {"pf05", 0, 11, 22, 22, "0",
     "ot69, ot20, ot39, ot38, ot23, ot56, ot41 inci 2, ot94, ot94 inci 2"},
    {"pfDP", 0, 36, 76, 76, "0 1",
     "ot21, ot59, ot22, ot67, ot68, ot20, ot13, ot19, ot27, ot18, ot39, ot65, ot14, ot01, "
     "ot77 inci 4"},
    {"pfEX", 0, 25, 50, 50, "0", "ot77 inci 4, ot77 inci 5, ot77 inci 6, ot77 inci 7, ot77 inci 8"},
    {"pfMS", 0, 49, 104, 104, "0 1 3 4",
     "ot36, ot03, ot09, ot41, ot20, ot27, ot01, ot13, ot15, ot44, ot12, ot41 inci 2, ot23, ot19, "
     "ot31, ot05, ot93, ot76, ot17, ot16, ot62, ot41 inci 1, otFI item 10"},
    {"pfPB", 0, 11, 44, 44, "1", "ot65, ot60, ot61, ot64, ot45"},
    {"pfPL", 0, 7, 14, 14, "0", "ot13, ot39, ot36, ot37"},
    {"pfRP", 0, 20, 40, 40, "0", "ot70, ot71, ot05, ot72, ot76"},
    {"pfSI", 0, 23, 54, 54, "0 1",
     "ot67, ot58, ot68, ot62, ot03, ot23, ot14, ot64, ot27, ot59, ot01, ot97, ot20, ot21, ot69"},
    {"pfSS", 0, 43, 96, 108, "0 1 4",
     "ot92, otFI item 11, otFI item 12, ot12, ot11, ot69, ot51, ot53, ot50, ot53 inci 1, ot93, "
     "ot97 inci 1"},
};

// Versioned maps use conversions 0, 1 and 3 only; the set given is the
// one each map is built with.
const std::vector<MapFigures> kVersionedMaps = {
    {"pfDP", 0, 36, 76, 76, "0 1",
     "ot21, ot59, ot22, ot67, ot68, ot20, ot13, ot19, ot27, ot18, ot39, ot65, ot14, ot38"},
    {"pfEX", 0, 25, 50, 50, "0", "ot77 inci 4, ot77 inci 5, ot77 inci 6, ot77 inci 7, ot77 inci 8"},
    {"pfGp", 0, 3, 6, 6, "0", "ot79"},
    {"pfGp", 1, 3, 6, 6, "0", "ot80"},
    {"pfMI", 0, 46, 98, 98, "0 1 3",
     "ot22, ot36, ot03, ot09, ot41, ot20, ot27, ot01, ot13, ot15, ot44, ot12, ot41 inci 2, ot23, "
     "ot19, ot31, ot05, ot17, ot16, ot62, ot41 inci 1, ot76, otFI item 10"},
    {"pfMS", 0, 17, 34, 34, "0", "ot94, ot94 inci 1, ot94 inci 2, ot41 inci 2"},
    {"pfPB", 0, 11, 44, 44, "1", "ot65, ot60, ot61, ot64, ot45"},
    {"pfPF", 0, 22, 48, 48, "0 1", "ot14, ot15, ot39, ot16, ot02, ot17, ot01, ot13, ot03"},
    {"pfPL", 0, 7, 14, 14, "0", "ot13, ot39, ot36, ot37"},
    {"pfRP", 0, 22, 44, 44, "0", "ot70, ot71, ot05, ot72, ot76, ot69, ot20"},
    {"pfSI", 0, 21, 48, 48, "0 1",
     "ot67, ot58, ot68, ot62, ot03, ot23, ot14, ot64, ot27, ot59, ot01, ot97, ot20, ot21"},
    {"pfSS", 0, 37, 84, 84, "0 1",
     "ot92, otFI item 11, otFI item 12, ot51, ot53, ot50, ot53 inci 1, ot93, ot97 inci 1"},
    {"pfSp", 0, 3, 6, 12, "0", "ot04"},
    {"pfSp", 1, 3, 6, 12, "0", "ot66"},
    {"pfTI", 0, 26, 54, 54, "0 1",
     "ot84, ot84 inci 1, ot84 inci 2, ot84 inci 3, ot97, ot41 inci 2"},
    {"pfly", 0, 16, 32, 32, "0", "ot15, ot67, ot35, ot57, ot87, ot87 inci 1"},
    {"pfmm", 0, 13, 26, 26, "0", "ot25, ot25 inci 1, ot83"},
    {"pfpS", 0, 1, 2, 2, "0", "otPG"},
};

FieldMap Plain(const std::string &tag, uint16_t item = 0) {
    return hostdata::FindFieldMap(Tag(tag), item).value_or(FieldMap{nullptr, 0});
}

FieldMap Versioned(const std::string &tag, uint16_t partsFlag = 0) {
    return hostdata::FindVersionedFieldMap(Tag(tag), partsFlag).value_or(FieldMap{nullptr, 0});
}

Texts FirstRowTexts(FieldMap map, int count) {
    Texts texts = RowTexts(map);
    texts.resize(static_cast<std::size_t>(count));
    return texts;
}

TEST(FieldMapTables, EachPlainMapHasItsFigures) {
    for (const MapFigures &expected : kPlainMaps) {
        const FieldMap map = Plain(expected.tag, expected.selector);
        ExpectFigures(map, expected);
        ExpectNoOverlap(map);
    }
}

TEST(FieldMapTables, EachVersionedMapHasItsFigures) {
    for (const MapFigures &expected : kVersionedMaps) {
        const FieldMap map = Versioned(expected.tag, expected.selector);
        ExpectFigures(map, expected);
        ExpectNoOverlap(map);
    }
}

// Every tag 'pf' + two printable characters, in order.
std::vector<std::string> AllPreferenceTags() {
    std::vector<std::string> tags;
    for (char c1 = ' '; c1 <= '~'; ++c1) {
        for (char c2 = ' '; c2 <= '~'; ++c2) tags.push_back(std::string("pf") + c1 + c2);
    }
    return tags;
}

TEST(FieldMapTables, NoOtherTagHasAMap) {
    Texts plain, versioned;
    for (const std::string &tag : AllPreferenceTags()) {
        if (hostdata::FindFieldMap(Tag(tag), 0)) plain.push_back(tag);
        if (hostdata::FindVersionedFieldMap(Tag(tag), 0) ||
            hostdata::FindVersionedFieldMap(Tag(tag), 1)) {
            versioned.push_back(tag);
        }
    }
    EXPECT_EQ(plain, (Texts{"pf05", "pfDP", "pfEX", "pfMS", "pfPB", "pfPF", "pfPL", "pfRP", "pfSI",
                            "pfSS"}));
    EXPECT_EQ(versioned, (Texts{"pfDP", "pfEX", "pfGp", "pfMI", "pfMS", "pfPB", "pfPF", "pfPL",
                                "pfRP", "pfSI", "pfSS", "pfSp", "pfTI", "pfly", "pfmm", "pfpS"}));
}

TEST(FieldMapTables, VersionedMapsOfOneVariantServeEveryPartsFlag) {
    for (const MapFigures &figures : kVersionedMaps) {
        if (figures.tag == "pfGp" || figures.tag == "pfSp" || figures.tag == "pfPF") continue;
        for (uint16_t partsFlag : {1, 2, 0xFFFF}) {
            EXPECT_EQ(Versioned(figures.tag, partsFlag).rows, Versioned(figures.tag).rows)
                << figures.tag << " " << partsFlag;
        }
    }
    EXPECT_EQ(Versioned("pfGp", 0xFFFF).rows, Versioned("pfGp", 1).rows);
    EXPECT_EQ(Versioned("pfSp", 2).rows, Versioned("pfSp", 1).rows);
}

// The runs of other records that serve whole preference records, and the
// item numbers each serves: any, only 1, or 1 up to a limit (item n then
// starts at inci n - 1).
struct RunFigures {
    std::string tag;
    std::string other;
    uint16_t count;
    uint16_t limit;  // 0: any item number; 1: only item 1
};

const std::vector<RunFigures> kRuns = {
    {"pfGD", "ot79", 1, 0},  {"pfGG", "ot88", 11, 0},  {"pfGb", "ot98", 1, 4},
    {"pfGd", "ot80", 1, 0},  {"pfGs", "ot91", 1, 1},   {"pfMM", "ot25", 2, 0},
    {"pfND", "ot04", 1, 0},  {"pfNd", "ot66", 1, 0},   {"pfPF", "ot77", 4, 1},
    {"pfSC", "ot52", 2, 0},  {"pfSN", "ot40", 1, 128}, {"pfSP", "ot94", 3, 0},
    {"pfSl", "ot26", 1, 15}, {"pfTC", "ot86", 5, 0},   {"pfTI", "ot84", 4, 0},
    {"pfTX", "ot78", 9, 0},  {"pfTp", "ot85", 4, 0},   {"pfTs", "ot90", 1, 9},
};

// "ot77 x4 from 0", or "refused", or "host" when the tag is not redirected.
std::string RunText(uint32_t tag, uint16_t item) {
    const hostdata::Redirection run = hostdata::FindRedirection(tag, item);
    if (!run.accepted) return "refused";
    if (run.otherTag == 0) return "host";
    return hostdata::TagText(run.otherTag) + " x" + std::to_string(run.count) + " from " +
           std::to_string(run.firstInci);
}

TEST(RedirectionTable, EachRunHasItsRecordsAndServesOnlyItsItemNumbers) {
    for (const RunFigures &run : kRuns) {
        SCOPED_TRACE(run.tag);
        const uint32_t tag = Tag(run.tag);
        const std::string first = run.other + " x" + std::to_string(run.count) + " from ";
        EXPECT_EQ(RunText(tag, 1), first + "0");
        if (run.limit == 0) {
            for (uint16_t item : {0, 2, 0x7FFF, 0xFFFE, 0xFFFF}) {
                EXPECT_EQ(RunText(tag, item), first + "0") << item;
            }
            continue;
        }
        EXPECT_EQ(RunText(tag, run.limit), first + std::to_string(run.limit - 1));
        for (uint16_t item : {0, run.limit + 1, 0xFFFF}) {
            EXPECT_EQ(RunText(tag, static_cast<uint16_t>(item)), "refused") << item;
        }
    }
}

TEST(RedirectionTable, NoOtherTagIsRedirected) {
    Texts redirected;
    for (const std::string &tag : AllPreferenceTags()) {
        if (RunText(Tag(tag), 1) != "host") redirected.push_back(tag);
    }
    Texts expected;
    for (const RunFigures &run : kRuns) expected.push_back(run.tag);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(redirected, expected);
    EXPECT_EQ(RunText(hostdata::kStaffSystemTag, 1), "host");
}

TEST(FieldMapTables, OnlyTheNamedRowsInvertAFlagOrTakeALowByte) {
    Texts special;
    for (const MapFigures &figures : kPlainMaps) {
        for (const FieldMapRow &row : Rows(Plain(figures.tag))) {
            if (row.mode < hostdata::kInvertedFlag) continue;
            special.push_back(figures.tag + " " + RowText(row));
        }
    }
    for (const MapFigures &figures : kVersionedMaps) {
        for (const FieldMapRow &row : Rows(Versioned(figures.tag, figures.selector))) {
            if (row.mode < hostdata::kInvertedFlag) continue;
            special.push_back("versioned " + figures.tag + " " + RowText(row));
        }
    }
    EXPECT_EQ(special, (Texts{
                           "pfMS 12 <- ot36 w1 x2 m3",
                           "pfMS 52 <- ot19 w4 x2 m4",
                           "pfMS 54 <- ot19 w5 x2 m4",
                           "pfSS 28 <- ot12 w5 x2 m4",
                           "pfSS 32 <- ot11 w5 x2 m4",
                           "pfSS 36 <- ot69 w4 x2 m4",
                           "pfSS 40 <- ot69 w5 x2 m4",
                           "pfSS 44 <- ot69 w2 x2 m4",
                           "pfSS 48 <- ot69 w3 x2 m4",
                           "versioned pfMI 14 <- ot36 w1 x2 m3",
                       }));
}

TEST(FieldMapTables, OnlyTwoMiscellaneousRowsWaitForANewerHost) {
    Texts gated;
    for (const MapFigures &figures : kVersionedMaps) {
        const FieldMap map = Versioned(figures.tag, figures.selector);
        for (int i = 0; i < map.rowCount; ++i) {
            if (map.rows[i].minimumHostVersion != 0) {
                gated.push_back(figures.tag + " row " + std::to_string(i + 1) + " " +
                                RowText(map.rows[i]));
            }
        }
    }
    EXPECT_EQ(gated, (Texts{"pfMI row 1 0 <- ot22 w4 x2 m0 v12050000",
                            "pfMI row 46 96 <- otFI item 10 w5 x2 m0 v12000000"}));
}

TEST(FieldMapTables, ThePageFormatRowsAreExactlyTheHostsLayout) {
    const Texts expected = {
        "0 <- ot14 w0 x4 m1",  "4 <- ot15 w2 x4 m1",  "8 <- ot39 w2 x2 m0",  "10 <- ot16 w0 x2 m0",
        "12 <- ot16 w1 x2 m0", "14 <- ot16 w2 x2 m0", "16 <- ot16 w3 x2 m0", "18 <- ot02 w0 x2 m0",
        "20 <- ot02 w1 x2 m0", "22 <- ot02 w2 x2 m0", "24 <- ot02 w3 x2 m0", "26 <- ot17 w0 x2 m0",
        "28 <- ot17 w1 x2 m0", "30 <- ot17 w3 x2 m0", "32 <- ot17 w2 x2 m0", "34 <- ot01 w4 x2 m0",
        "36 <- ot02 w4 x2 m0", "38 <- ot13 w5 x2 m0", "40 <- ot13 w4 x2 m0", "42 <- ot02 w5 x2 m0",
        "44 <- ot03 w0 x2 m0", "46 <- ot03 w1 x2 m0",
    };
    EXPECT_EQ(RowTexts(Plain("pfPF")), expected);
    EXPECT_EQ(RowTexts(Versioned("pfPF")), expected);
    EXPECT_EQ(RowTexts(hostdata::PageFormatExtraFieldMap()),
              (Texts{"2 <- ot01 w5 x2 m0", "0 <- ot77 inci 4 w0 x2 m0", "4 <- ot93 w4 x2 m0",
                     "6 <- ot76 w4 x2 m0", "8 <- ot93 w2 x2 m0", "10 <- ot76 w3 x2 m0"}));
}

TEST(FieldMapTables, SmallVersionedMapsTakeTheirNamedWords) {
    EXPECT_EQ(RowTexts(Versioned("pfGp", 0)),
              (Texts{"0 <- ot79 w0 x2 m0", "2 <- ot79 w1 x2 m0", "4 <- ot79 w2 x2 m0"}));
    EXPECT_EQ(RowTexts(Versioned("pfGp", 1)),
              (Texts{"0 <- ot80 w0 x2 m0", "2 <- ot80 w1 x2 m0", "4 <- ot80 w2 x2 m0"}));
    EXPECT_EQ(RowTexts(Versioned("pfSp", 0)),
              (Texts{"0 <- ot04 w0 x2 m0", "2 <- ot04 w1 x2 m0", "10 <- ot04 w5 x2 m0"}));
    EXPECT_EQ(RowTexts(Versioned("pfSp", 1)),
              (Texts{"0 <- ot66 w0 x2 m0", "2 <- ot66 w1 x2 m0", "10 <- ot66 w5 x2 m0"}));
    EXPECT_EQ(RowTexts(Versioned("pfpS")), Texts{"0 <- otPG w0 x2 m0"});
}

TEST(FieldMapTables, VersionedMapsShareThePlainMapsRows) {
    for (const char *tag : {"pfEX", "pfPB", "pfPL"}) {
        EXPECT_EQ(RowTexts(Versioned(tag)), RowTexts(Plain(tag))) << tag;
    }
    const Texts repeats = RowTexts(Versioned("pfRP"));
    EXPECT_EQ(FirstRowTexts(Versioned("pfRP"), 20), RowTexts(Plain("pfRP")));
    EXPECT_EQ(Texts(repeats.begin() + 20, repeats.end()),
              (Texts{"40 <- ot69 w1 x2 m0", "42 <- ot20 w3 x2 m0"}));
    EXPECT_EQ(RowTexts(Versioned("pfSI")), FirstRowTexts(Plain("pfSI"), 21));
}

// Two rows that read one word would save it twice, the second value over
// the first: a word of an other record serves at most one field of a map.
void ExpectEachWordReadOnce(const std::string &name, FieldMap map) {
    std::set<std::string> words;
    for (const FieldMapRow &row : Rows(map)) {
        for (int word = 0; word < (row.width == 4 ? 2 : 1); ++word) {
            const std::string read = RecordText(row) + " w" + std::to_string(row.fieldIndex + word);
            EXPECT_TRUE(words.insert(read).second) << name << ": " << RowText(row);
        }
    }
}

TEST(FieldMapTables, EachWordOfAnOtherRecordServesOneField) {
    for (const MapFigures &figures : kPlainMaps) {
        ExpectEachWordReadOnce("plain " + figures.tag, Plain(figures.tag, figures.selector));
    }
    for (const MapFigures &figures : kVersionedMaps) {
        ExpectEachWordReadOnce("versioned " + figures.tag,
                               Versioned(figures.tag, figures.selector));
    }
    ExpectEachWordReadOnce("page format extra", hostdata::PageFormatExtraFieldMap());
}

TEST(FieldMapTables, EveryMapFitsAPass) {
    for (const MapFigures &figures : kPlainMaps) {
        EXPECT_LE(Plain(figures.tag).rowCount, hostdata::kMaxMapRows) << figures.tag;
        EXPECT_LE(figures.extent, hostdata::SuppliedWords::kMaxBytes) << figures.tag;
    }
    for (const MapFigures &figures : kVersionedMaps) {
        EXPECT_LE(figures.rows, hostdata::kMaxMapRows) << figures.tag;
        EXPECT_LE(figures.extent, hostdata::SuppliedWords::kMaxBytes) << figures.tag;
    }
    for (const RunFigures &run : kRuns) {
        EXPECT_LE(12 * run.count, hostdata::SuppliedWords::kMaxBytes) << run.tag;
    }
}

TEST(FieldMapTables, ThePartsPageFormatAndUnknownTagsHaveNoMap) {
    EXPECT_FALSE(hostdata::FindFieldMap(hostdata::kPageFormatTag, 1));
    EXPECT_FALSE(hostdata::FindVersionedFieldMap(hostdata::kPageFormatTag, 1));
    EXPECT_FALSE(hostdata::FindFieldMap(hostdata::kStaffSystemTag, 0));
    EXPECT_FALSE(hostdata::FindVersionedFieldMap(Tag("pfSP"), 0));
    EXPECT_FALSE(hostdata::FindFieldMap(Tag("pfSp"), 0));
}

}  // namespace
