#include "standin/document/document.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/document/document_diff.h"
#include "standin/document/document_warnings.h"
#include "standin/platform/byte_text.h"

namespace {

using standin::Bytes;
using standin::Document;
using standin::DocumentError;
using Json = nlohmann::ordered_json;

constexpr uint32_t kSystem = hostdata::kStaffSystemTag;
constexpr uint32_t kMeasure = hostdata::kMeasureTag;
constexpr int16_t kOther = -2;

uint32_t Ot(char c1, char c2) { return hostdata::OtherTag(c1, c2); }

// A document as this program writes it.
const std::string kDocument = R"({
  "description": "two systems",
  "hostVersion": "0x11000000",
  "currentPart": 3,
  "slots": {"1": 4, "2": 7},
  "pageFormat": {
    "score": {"systemIndent": 10, "firstSystemIndent": 144, "extraValue1": 1536, "extraValue2": 100, "extraValue3": -1},
    "parts": {"systemIndent": 24, "firstSystemIndent": 72, "extraValue1": 1280, "extraValue2": 90, "extraValue3": 5}
  },
  "systems": [
    {"firstMeasure": 1, "leftIndent": 144, "bytes": "01 02 .. .. 00 00 00 00 .. .. 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ff"},
    {"firstMeasure": 0, "leftIndent": -20, "layoutFirstMeasure": 5}
  ],
  "measures": [
    {"number": 4, "barlineStyle": 5, "fullNames": true, "bytes": "01 00 00 00 aa bb cc dd 00 00 00 00 01 00 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
    {"number": 5, "barlineStyle": 0, "fullNames": false}
  ],
  "records": [
    {"tag": "SOSS", "item": 9, "inci": 0, "bytes": "01 02 03"},
    {"tag": "ot17", "item": -2, "inci": 0, "bytes": "01 00 .. .. 02 00 00 00 00 00 00 00"},
    {"tag": "ot77", "item": -2, "inci": 0, "bytes": "00 00 60 0c 00 00 90 09 64 00 70 ff"},
    {"tag": "ot77", "item": -2, "inci": 3, "bytes": "00 00 00 00 01 00 48 00 48 00 .. .."},
    {"tag": "otPG", "item": 3, "inci": 1, "bytes": ""}
  ]
}
)";

uint16_t Word(const Document &document, const standin::RecordKey &key, std::size_t offset) {
    const Bytes *record = document.records.Find(key);
    EXPECT_NE(record, nullptr) << hostdata::TagText(key.tag);
    return record ? hostdata::ReadU16(record->data(), offset) : 0;
}

TEST(Documents, ReadingPutsEveryNamedFieldWhereTheHostKeepsIt) {
    const Document document = standin::ParseDocument(kDocument, "doc.json");
    EXPECT_EQ(document.description, "two systems");
    EXPECT_EQ(document.hostVersion, 0x11000000u);
    EXPECT_EQ(document.currentPart, 3);
    EXPECT_EQ(document.slots, (std::map<uint16_t, int16_t>{{1, 4}, {2, 7}}));
    EXPECT_EQ(document.layout, (std::map<int16_t, int16_t>{{2, 5}}));

    const Bytes *first = document.records.Find({kSystem, 1, 0});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, standin::ParseByteText("01 02 90 00 00 00 00 00 01 00 00 00 00 00 00 00 00 "
                                             "00 00 00 00 00 00 00 00 00 00 ff")
                          .bytes);
    EXPECT_EQ(Word(document, {kSystem, 2, 0}, 2), 0xFFEC);

    const Bytes *measure = document.records.Find({kMeasure, 4, 0});
    ASSERT_NE(measure, nullptr);
    ASSERT_EQ(measure->size(), 30u);
    EXPECT_EQ(hostdata::ReadU16(measure->data(), 12), 0x0801);  // flags: full names + raw bit
    EXPECT_EQ(hostdata::ReadU16(measure->data(), 14), 0x0053);  // style 5 over the raw bits
    EXPECT_EQ((*measure)[4], 0xAA);
    EXPECT_EQ(Word(document, {kMeasure, 5, 0}, 14), 0);

    // Score: indents in 'ot17' word 1 and 'ot03' word 1; extras in 'ot93'
    // word 2, 'ot76' word 3, 'ot01' word 5.
    EXPECT_EQ(Word(document, {Ot('1', '7'), kOther, 0}, 0), 1);  // raw word kept
    EXPECT_EQ(Word(document, {Ot('1', '7'), kOther, 0}, 2), 10);
    EXPECT_EQ(Word(document, {Ot('0', '3'), kOther, 0}, 2), 144);
    EXPECT_EQ(Word(document, {Ot('9', '3'), kOther, 0}, 4), 1536);
    EXPECT_EQ(Word(document, {Ot('7', '6'), kOther, 0}, 6), 100);
    EXPECT_EQ(Word(document, {Ot('0', '1'), kOther, 0}, 10), 0xFFFF);
    // Parts: the 48-byte record as 'ot77' incis 0 to 3 (offsets 28 and 46);
    // extras in 'ot93' word 4, 'ot76' word 4, 'ot77' inci 4 word 0.
    EXPECT_EQ(Word(document, {Ot('7', '7'), kOther, 2}, 4), 24);
    EXPECT_EQ(Word(document, {Ot('7', '7'), kOther, 3}, 10), 72);
    EXPECT_EQ(Word(document, {Ot('7', '7'), kOther, 3}, 6), 72);
    EXPECT_EQ(Word(document, {Ot('9', '3'), kOther, 0}, 8), 1280);
    EXPECT_EQ(Word(document, {Ot('7', '6'), kOther, 0}, 8), 90);
    EXPECT_EQ(Word(document, {Ot('7', '7'), kOther, 4}, 0), 5);

    EXPECT_EQ(document.records.Find({kSystem, 9, 0})->size(), 3u);
    EXPECT_TRUE(document.records.Find({Ot('P', 'G'), 3, 1})->empty());
}

TEST(Documents, WritingWhatWasReadGivesTheSameText) {
    EXPECT_EQ(standin::DocumentText(standin::ParseDocument(kDocument, "doc.json")), kDocument);
}

TEST(Documents, WritingShowsWhatTheHostChangedAndReadsBackTheSameRecords) {
    standin::Host host;
    standin::PutIntoHost(standin::ParseDocument(kDocument, "doc.json"), host);
    hostdata::WriteU16(host.Records().Find({kSystem, 2, 0})->data(), 2, 72);
    host.Records().Put({kSystem, 3, 0}, Bytes(26, 7));  // not a whole system: kept raw
    host.Records().Put({kMeasure, 6, 1}, Bytes(30, 1));
    hostdata::WriteU16(host.Records().Find({kMeasure, 5, 0})->data(), 14, 0x0050);

    Document document = standin::ParseDocument(kDocument, "doc.json");
    standin::TakeFromHost(document, host);
    const std::string text = standin::DocumentText(document);
    EXPECT_NE(text.find(R"({"firstMeasure": 0, "leftIndent": 72, "layoutFirstMeasure": 5})"),
              std::string::npos);
    EXPECT_NE(text.find(R"({"number": 5, "barlineStyle": 5, "fullNames": false})"),
              std::string::npos);
    EXPECT_NE(text.find(R"({"tag": "SOSS", "item": 3, "inci": 0, "bytes": "07 07)"),
              std::string::npos);
    EXPECT_EQ(standin::ParseDocument(text, "again.json").records.All(), host.Records().All());
}

TEST(Documents, TheHostServesMeasuresInTheLayoutOfTheCallersVersion) {
    standin::Host host;
    standin::PutIntoHost(standin::ParseDocument(kDocument, "doc.json"), host);
    EXPECT_EQ(host.Slots().at(2), 7);
    FxDataKey key{4, 0};
    uint8_t buffer[30] = {};
    int32_t size = sizeof buffer;
    ASSERT_EQ(host.LoadEData(kMeasure, &key, buffer, &size, 0x0A000000), 1);
    EXPECT_EQ(size, 26);
    EXPECT_EQ(hostdata::ReadU16(buffer, 8), 0x0801);
    EXPECT_EQ(hostdata::ReadU16(buffer, 10), 0x0053);
    EXPECT_EQ(host.GetCurrentPartID(0x19000000), 3);
}

TEST(Documents, WritingFailsWhenAPageFormatRecordIsGone) {
    Document document = standin::ParseDocument(kDocument, "doc.json");
    document.records.Erase({Ot('0', '3'), kOther, 0});
    try {
        standin::DocumentText(document);
        FAIL() << "written without the first-system indent";
    } catch (const DocumentError &error) {
        EXPECT_STREQ(error.what(),
                     "the host no longer holds 'ot03' (-2,0) as a 12-byte record, which "
                     "/pageFormat/score/firstSystemIndent lives in");
    }
}

struct Fault {
    const char *what;
    std::function<void(Json &)> change;
    std::string message;  // after "doc.json: "
};

TEST(Documents, AFaultyDocumentIsRefusedWithThePlaceAndWhatWasExpected) {
    const Fault faults[] = {
        {"missing field", [](Json &d) { d["systems"][1].erase("leftIndent"); },
         "/systems/1/leftIndent: missing; expected a 16-bit signed number (-32768 to 32767)"},
        {"mistyped field", [](Json &d) { d["systems"][0]["leftIndent"] = "144"; },
         "/systems/0/leftIndent: expected a 16-bit signed number (-32768 to 32767), found \"144\""},
        {"out of range", [](Json &d) { d["pageFormat"]["parts"]["systemIndent"] = 40000; },
         "/pageFormat/parts/systemIndent: expected a 16-bit signed number (-32768 to 32767), "
         "found 40000"},
        {"style out of range", [](Json &d) { d["measures"][1]["barlineStyle"] = 16; },
         "/measures/1/barlineStyle: expected a barline style (0 to 15; 5 is the final barline), "
         "found 16"},
        {"fraction", [](Json &d) { d["measures"][1]["number"] = 5.5; },
         "/measures/1/number: expected a measure number (1 to 32767), found 5.5"},
        {"host version", [](Json &d) { d["hostVersion"] = "12000000"; },
         "/hostVersion: expected a 32-bit host version such as \"0x12000000\", found \"12000000\""},
        {"unknown field near a known one", [](Json &d) { d["sytems"] = Json::array(); },
         "/sytems: unknown field; did you mean systems? (expected one of description, "
         "hostVersion, currentPart, slots, pageFormat, systems, measures, records)"},
        {"unknown field, the nearest in another case",
         [](Json &d) { d["pageFormat"]["score"]["FIRSTSYSTEMINDNT"] = 0; },
         "/pageFormat/score/FIRSTSYSTEMINDNT: unknown field; did you mean firstSystemIndent? "
         "(expected one of systemIndent, firstSystemIndent, extraValue1, extraValue2, "
         "extraValue3)"},
        {"unknown field near none", [](Json &d) { d["colour"] = "red"; },
         "/colour: unknown field; expected one of description, hostVersion, currentPart, slots, "
         "pageFormat, systems, measures, records"},
        {"missing variant", [](Json &d) { d["pageFormat"].erase("parts"); },
         "/pageFormat/parts: missing; expected a page format"},
        {"measure of the wrong size", [](Json &d) { d["measures"][1]["bytes"] = "00 00"; },
         "/measures/1/bytes: expected 30 bytes, found 2"},
        {"bad byte", [](Json &d) { d["records"][0]["bytes"] = "01 2 03"; },
         "/records/0/bytes: byte 1 is '2'; expected two hex digits per byte, separated by "
         "spaces"},
        {"named byte given raw",
         [](Json &d) { d["records"][1]["bytes"] = "01 00 00 00 02 00 00 00 00 00 00 00"; },
         "/records/1/bytes: byte 2 is given by /pageFormat/score/systemIndent; expected '..' "
         "there"},
        {"system's named byte given raw",
         [](Json &d) { d["systems"][1]["bytes"] = standin::FormatByteText(Bytes(28, 0)); },
         "/systems/1/bytes: byte 2 is given by leftIndent; expected '..' there"},
        {"raw byte left out", [](Json &d) { d["records"][4]["bytes"] = ".."; },
         "/records/4/bytes: byte 0 is not given by name; expected two hex digits, not '..'"},
        {"page format record of the wrong size",
         [](Json &d) { d["records"][3]["bytes"] = "00 00"; },
         "/records/3/bytes: expected 12 bytes, found 2"},
        {"full names in the raw bytes",
         [](Json &d) {
             Bytes bytes(30, 0);
             bytes[13] = 0x08;
             d["measures"][1]["bytes"] = standin::FormatByteText(bytes);
         },
         "/measures/1/bytes: bit 0x0800 of the flags word (bytes 12-13) is given by fullNames; "
         "expected it clear"},
        {"measure given twice", [](Json &d) { d["measures"][1]["number"] = 4; },
         "/measures/1: record 'SOMS' (4,0) is already given at /measures/0"},
        {"measure given raw",
         [](Json &d) {
             d["records"][0] = {{"tag", "SOMS"},
                                {"item", 8},
                                {"inci", 0},
                                {"bytes", standin::FormatByteText(Bytes(30, 0))}};
         },
         "/records/0: this record is a measure; give it in /measures"},
        {"system given raw",
         [](Json &d) {
             d["records"][0] = {{"tag", "SOSS"},
                                {"item", 3},
                                {"inci", 0},
                                {"bytes", standin::FormatByteText(Bytes(28, 0))}};
         },
         "/records/0: this record is a staff system; give it in /systems"},
        {"tag", [](Json &d) { d["records"][0]["tag"] = "ot1"; },
         "/records/0/tag: expected a data tag of four characters such as \"ot77\", found "
         "\"ot1\""},
        {"slot", [](Json &d) { d["slots"]["x"] = 1; },
         "/slots/x: expected a staff slot number (0 to 65535) as the name"},
        {"slot twice", [](Json &d) { d["slots"]["01"] = 9; },
         "/slots/01: staff slot 1 is already given"},
    };
    for (const Fault &fault : faults) {
        SCOPED_TRACE(fault.what);
        Json document = Json::parse(kDocument);
        fault.change(document);
        try {
            standin::ParseDocument(document.dump(), "doc.json");
            ADD_FAILURE() << "accepted";
        } catch (const DocumentError &error) {
            EXPECT_EQ(error.what(), "doc.json: " + fault.message);
        }
    }
}

// What editors and people put in a document that JSON has no place for.
TEST(Documents, CommentsAndUtf16AreNamedForWhatTheyAre) {
    const std::pair<std::string, std::string> refused[] = {
        {"{\n  \"hostVersion\": 1, // the score's\n}",
         "not valid JSON: parse error at line 2, column 21: a comment; JSON has none, and a "
         "document allows none: remove it"},
        {"/* a score */ {}",
         "not valid JSON: parse error at line 1, column 1: a comment; JSON has none, and a "
         "document allows none: remove it"},
        {std::string("\xFF\xFE{\0}\0", 6),
         "the file is UTF-16 (what Notepad calls \"Unicode\"); a document is UTF-8: save it "
         "again as UTF-8"},
        {std::string("{\0\"\0", 4),
         "the file is UTF-16 (what Notepad calls \"Unicode\"); a document is UTF-8: save it "
         "again as UTF-8"},
        {"{\"a\": 1 / 2}",
         "not valid JSON: parse error at line 1, column 9: syntax error while parsing object - "
         "invalid literal; last read: '1 /'; expected '}'"},
    };
    for (const auto &[text, message] : refused) {
        try {
            standin::ParseDocument(text, "doc.json");
            ADD_FAILURE() << "accepted " << text;
        } catch (const DocumentError &error) {
            EXPECT_EQ(error.what(), "doc.json: " + message);
        }
    }
}

TEST(Documents, TextThatIsNotJsonIsRefusedWithItsLineAndColumn) {
    try {
        standin::ParseDocument("{\n  \"hostVersion\": 1,\n}", "doc.json");
        FAIL() << "accepted";
    } catch (const DocumentError &error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("doc.json: not valid JSON: parse error at line 3, "
                             "column 1: ",
                             0),
                  0u)
            << error.what();
    }
}

TEST(Documents, AKeyGivenTwiceInAnObjectIsRefusedAtItsPlace) {
    const std::pair<const char *, const char *> repeated[] = {
        {R"("currentPart": 0, "currentPart": 1)", "/currentPart"},
        {R"("currentPart": 0, "systems": [{"firstMeasure": 1, "leftIndent": 0},
            {"firstMeasure": 2, "leftIndent": 0, "firstMeasure": 3}])",
         "/systems/1/firstMeasure"},
        {R"("currentPart": 0, "records": [[], {"a~/b": {"x": 1, "x": 2}}])", "/records/1/a~0~1b/x"},
        {R"("currentPart": 0, "slots": {"1": 1, "2": 2, "1": 3})", "/slots/1"},
    };
    for (const auto &[members, place] : repeated) {
        SCOPED_TRACE(place);
        try {
            standin::ParseDocument(std::string("{\"hostVersion\": 1, ") + members + "}",
                                   "doc.json");
            ADD_FAILURE() << "accepted";
        } catch (const DocumentError &error) {
            EXPECT_EQ(error.what(), std::string("doc.json: ") + place +
                                        ": given twice in one object; keep one of them");
        }
    }
}

// What JSON can say but no document holds, refused in the text as read.
TEST(Documents, TextNoDocumentHoldsIsRefusedWithThePlaceAndAsWritten) {
    const std::string deep = std::string(31, '[') + std::string(31, ']');
    const std::string deepest = std::string(65000, '[') + std::string(65000, ']');
    std::string pointer = "/description";
    for (int level = 0; level < 31; ++level) pointer += "/0";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"description": [)" + deep + "]}",
         pointer + ": values nested more than 32 deep; a document nests them at most 3 deep"},
        {R"({"description": [)" + deepest + "]}",
         pointer + ": values nested more than 32 deep; a document nests them at most 3 deep"},
        {R"({"systems": [{"leftIndent": 1e400}]})",
         "/systems/0/leftIndent: the number 1e400 is out of range for any value of a document"},
        {R"({"measures": [0, -1E+999]})",
         "/measures/1: the number -1E+999 is out of range for any value of a document"},
        {R"({"hostVersion": ""})",
         R"(/hostVersion: expected a 32-bit host version such as "0x12000000", found "")"},
        {R"({"hostVersion": "0x12000000", "currentPart": 18446744073709551616})",
         "/currentPart: expected a part number (0 for the score), found 18446744073709551616"},
        {R"({"hostVersion": "0x12000000", "currentPart": -0.0})",
         "/currentPart: expected a part number (0 for the score), found -0.0"},
        {R"({"hostVersion": 1, "current\u0050art": 0, "currentPart": 1})",
         "/currentPart: given twice in one object; keep one of them"},
    };
    for (const auto &[text, message] : cases) {
        SCOPED_TRACE(message);
        try {
            standin::ParseDocument(text, "doc.json");
            ADD_FAILURE() << "accepted";
        } catch (const DocumentError &error) {
            EXPECT_EQ(error.what(), "doc.json: " + message);
        }
    }
    // A byte-order mark, as Windows editors write one, is no fault.
    EXPECT_EQ(standin::ParseDocument("\xEF\xBB\xBF" + kDocument, "doc.json").hostVersion,
              0x11000000u);
}

// Any text: a document, or a DocumentError naming what is wrong, never
// another failure; and a document that loads is written, warned about and
// compared, and reads back as the same records.
TEST(Documents, AnyTextIsADocumentOrRefused) {
    std::mt19937 random(18);
    const std::string pieces[] = {"{",        "}",    "[",  "]",         "\"",   ",",
                                  ":",        "0",    "-1", "1e400",     "..",   "\\u0000",
                                  "\xC2\xA0", "\xFF", " ",  "\"bytes\"", "32768"};
    std::size_t loaded = 0;
    for (int round = 0; round < 10000; ++round) {
        std::string text = kDocument;
        for (int change = 1 + static_cast<int>(random() % 4); change > 0; --change) {
            const std::size_t at = random() % text.size();
            const std::string &piece = pieces[random() % std::size(pieces)];
            const auto how = random() % 3;
            if (how == 0) text.insert(at, piece);
            if (how == 1) text.erase(at, piece.size());
            if (how == 2) text.replace(at, piece.size(), piece);
        }
        SCOPED_TRACE(text);
        try {
            const Document document = standin::ParseDocument(text, "doc.json");
            standin::DocumentWarnings(document, "doc.json");
            EXPECT_TRUE(standin::DocumentDifferences(document, document).empty());
            EXPECT_EQ(
                standin::ParseDocument(standin::DocumentText(document), "again.json").records.All(),
                document.records.All());
            ++loaded;
        } catch (const DocumentError &) {
        }
    }
    EXPECT_GT(loaded, 100u);  // some texts load, so that writing them is tried too
}

TEST(Documents, MoreValuesThanAnyDocumentHoldsAreRefusedUnkept) {
    std::string text = "{\"records\": [0";
    for (std::size_t i = 0; i < standin::kDocumentMostValues; ++i) text += ",0";
    EXPECT_THROW(
        {
            try {
                standin::ParseDocument(text + "]}", "doc.json");
            } catch (const DocumentError &error) {
                EXPECT_STREQ(error.what(),
                             "doc.json: more than 1000000 JSON values, the most a "
                             "document may hold");
                throw;
            }
        },
        DocumentError);
}

TEST(Documents, WhatNoRealHostWouldHoldLoadsWithAWarningForEach) {
    struct Case {
        const char *what;
        std::function<void(Json &)> change;
        std::vector<std::string> warnings;  // after "doc.json: "
    };
    const auto systems = [](Json &d, std::initializer_list<int> starts) {
        d["systems"] = Json::array();
        for (int start : starts)
            d["systems"].push_back({{"firstMeasure", start}, {"leftIndent", 0}});
    };
    const Case cases[] = {
        {"as a host holds it",
         [&](Json &d) {
             systems(d, {4, 5});
         },
         {}},
        {"beyond the last measure and negative",
         [&](Json &d) {
             systems(d, {4, 6, -1});
         },
         {"/systems/1/firstMeasure: system 2 starts at measure 6, beyond the last measure (5)",
          "/systems/2/firstMeasure: system 3 starts at measure -1, which is negative"}},
        {"two at one measure, then one before",
         [&](Json &d) {
             systems(d, {5, 5, 4});
         },
         {"/systems/1/firstMeasure: system 2 starts at measure 5, as system 1 does",
          "/systems/2/firstMeasure: system 3 starts at measure 4, before system 2 (measure 5)"}},
        {"laid out later, or never",
         [&](Json &d) {
             systems(d, {0, 0});
             d["systems"][0]["layoutFirstMeasure"] = 5;
         },
         {"/systems/1/firstMeasure: system 2 is not laid out and has no layoutFirstMeasure for "
          "the host to lay it out at"}},
        {"no such part",
         [&](Json &d) {
             systems(d, {4});
             d["currentPart"] = -1;
         },
         {"/currentPart: part -1 cannot exist: 0 is the score, and parts count from 1"}},
        {"more of a kind than are shown",
         [&](Json &d) {
             systems(d, {-1, -2, -3, -4, -5, -6, -7});
         },
         {"/systems/0/firstMeasure: system 1 starts at measure -1, which is negative",
          "/systems/1/firstMeasure: system 2 starts at measure -2, which is negative",
          "/systems/2/firstMeasure: system 3 starts at measure -3, which is negative",
          "/systems/3/firstMeasure: system 4 starts at measure -4, which is negative",
          "/systems/4/firstMeasure: system 5 starts at measure -5, which is negative",
          "2 more warnings not shown: systems that start at a negative measure"}},
        {"a system given raw past a gap",
         [&](Json &d) {
             systems(d, {4});
             Bytes raw(28, 0);
             raw[8] = 9;  // the first measure
             d["records"][0] = {{"tag", "SOSS"},
                                {"item", 3},
                                {"inci", 0},
                                {"bytes", standin::FormatByteText(raw)}};
         },
         {"/records/0/bytes: system 3 comes after a gap (there is no system 2): a host numbers "
          "its systems 1, 2, ... without one",
          "/records/0/bytes: system 3 starts at measure 9, beyond the last measure (5)"}},
        {"a page format in view without all its records",
         [&](Json &d) {
             systems(d, {4});
             d["records"].erase(d["records"].size() - 1);
         },
         {"/records: the parts page format misses all or part of 'ot77' inci 1: the fields there "
          "cannot be read (the commands need none of them)"}},
    };
    for (const Case &odd : cases) {
        SCOPED_TRACE(odd.what);
        Json document = Json::parse(kDocument);
        document["currentPart"] = 2;  // as many parts as the two slots allow
        document["records"].push_back({{"tag", "ot77"},
                                       {"item", -2},
                                       {"inci", 1},
                                       {"bytes", "00 00 00 00 00 00 00 00 00 00 00 00"}});
        odd.change(document);
        std::vector<std::string> expected;
        for (const std::string &warning : odd.warnings) expected.push_back("doc.json: " + warning);
        EXPECT_EQ(standin::DocumentWarnings(standin::ParseDocument(document.dump(), "doc.json"),
                                            "doc.json"),
                  expected);
    }
}

TEST(Documents, ADiffNamesEachFieldThatDiffersAndEachByteByItsOffset) {
    struct Case {
        const char *what;
        std::function<void(Json &)> change;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"nothing", [](Json &) {}, {}},
        {"written otherwise, the same content",
         [](Json &d) {
             d["hostVersion"] = 0x11000000;
             d["records"][4]["bytes"] = " ";
         },
         {}},
        {"top-level fields",
         [](Json &d) {
             d["description"] = "one system";
             d["currentPart"] = 0;
             d["slots"].erase("2");
         },
         {R"(description: "two systems" -> "one system")", "currentPart: 3 -> 0",
          "slot 2: staff: 7 -> none"}},
        {"named fields",
         [](Json &d) {
             d["pageFormat"]["parts"]["firstSystemIndent"] = 73;
             d["systems"][1]["leftIndent"] = 0;
             d["systems"][1].erase("layoutFirstMeasure");
             d["measures"][0]["fullNames"] = false;
         },
         {"page format of the parts: firstSystemIndent: 72 -> 73", "system 2: leftIndent: -20 -> 0",
          "system 2: layoutFirstMeasure: 5 -> none", "measure 4: fullNames: true -> false"}},
        {"raw bytes, not the named ones",
         [](Json &d) {
             d["systems"][0]["bytes"] =
                 "01 03 .. .. 00 00 00 00 .. .. 00 00 00 00 00 00 00 00 "
                 "00 00 00 00 00 00 00 00 01 00";
             d["records"][2]["bytes"] = "00 00 60 0c 00 00 90 09 64 00 70 fe";
             d["records"][0]["bytes"] = "01 02";
         },
         {"system 1: byte 1: 02 -> 03; bytes 26-27: 00 ff -> 01 00",
          "record 'SOSS' (9,0): byte 2: 03 -> none", "record 'ot77' (-2,0): byte 11: ff -> fe"}},
        {"a page format's record that one document leaves out as all 0",
         [](Json &d) { d["records"].erase(1); },
         {"record 'ot17' (-2,0): byte 0: 01 -> 00; byte 4: 02 -> 00"}},
        {"records and measures in one document only",
         [](Json &d) {
             d["measures"].erase(1);
             d["records"][0]["item"] = 10;
             d["systems"].erase(1);
         },
         {"system 2: only in the first document", "measure 5: only in the first document",
          "record 'SOSS' (9,0): only in the first document",
          "record 'SOSS' (10,0): only in the second document"}},
    };
    const Document first = standin::ParseDocument(kDocument, "first.json");
    for (const Case &one : cases) {
        SCOPED_TRACE(one.what);
        Json second = Json::parse(kDocument);
        one.change(second);
        EXPECT_EQ(standin::DocumentDifferences(
                      first, standin::ParseDocument(second.dump(), "second.json")),
                  one.lines);
    }
}

TEST(ByteText, ReadsHexAndNamedBytesAndWritesThemBack) {
    const standin::ByteText text = standin::ParseByteText(" 0a FF\t.. 00 ");
    EXPECT_EQ(text.error, "");
    EXPECT_EQ(text.bytes, (Bytes{0x0A, 0xFF, 0, 0}));
    EXPECT_EQ(text.named, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(standin::FormatByteText(text.bytes, text.named), "0a ff .. 00");
    EXPECT_EQ(standin::ParseByteText("0a 1g").error,
              "byte 1 is '1g'; expected two hex digits per byte, separated by spaces");
    EXPECT_EQ(standin::ParseByteText("0a\v0b\f0c\r\n").bytes, (Bytes{0x0A, 0x0B, 0x0C}));
    // Characters that cannot be seen are named.
    const std::pair<const char *, const char *> unseen[] = {
        {"00\xC2\xA0"
         "01",
         "byte 0 holds U+00A0"},
        {"00 01\xE3\x80\x80", "byte 1 holds U+3000"},
        {"00 \x01", "byte 1 holds U+0001"},
        {"00 0\xF0\x9F\x8E\xB5", "byte 1 holds U+1F3B5"},
        {"\xA0", "byte 0 holds byte 0xA0"},
    };
    for (const auto &[text, error] : unseen) {
        EXPECT_EQ(standin::ParseByteText(text).error,
                  std::string(error) +
                      ", which is neither a hex digit nor a space, tab or line break; expected "
                      "two hex digits per byte, separated by spaces");
    }
}

}  // namespace
