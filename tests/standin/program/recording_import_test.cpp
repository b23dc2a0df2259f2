// The document a recording shows: each record as the host held it before
// the command, nothing the module never loaded, and a description that says
// where the document cannot be the field's.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "interface/data_tag.h"
#include "standin/platform/byte_text.h"
#include "standin/program/recording_import.h"
#include "standin/program/run_command.h"

namespace {

using Json = nlohmann::ordered_json;
using standin::Bytes;
using standin::RecordKey;

constexpr uint32_t kSystems = hostdata::kStaffSystemTag;
const uint32_t kOt17 = hostdata::OtherTag('1', '7');

std::string Source(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

Json Load(const char *tag, int item, const std::string &bytes, int size, int result = 1) {
    const std::size_t room = standin::ParseByteText(bytes).bytes.size();
    return {{"function", "FX_LoadEData"},
            {"tag", tag},
            {"key", {item, 0}},
            {"room", room},
            {"version", "0x19000000"},
            {"result", result},
            {"size", size},
            {"handedBack", bytes}};
}

Json Plain(const char *function, int result, Json arguments = nullptr) {
    Json call = {{"function", function}};
    if (!arguments.is_null()) call["arguments"] = arguments;
    call["version"] = "0x19000000";
    call["result"] = result;
    return call;
}

standin::ImportedDocument Imported(const Json &calls, const Json &header = Json::object()) {
    Json recording = {{"format", "Karvo Indent System recording"},
                      {"formatVersion", 1},
                      {"complete", true},
                      {"module", "1.0.3.0"},
                      {"interfaceVersion", "0x0E010000"},
                      {"hostVersion", "0x12000000"},
                      {"menuIndex", 0},
                      {"selection", nullptr},
                      {"absentFunctions", Json::array()},
                      {"invokeResult", 1},
                      {"callsMade", calls.size()},
                      {"calls", calls}};
    recording.update(header);
    return standin::ImportDocument(standin::ParseRecording(recording.dump() + "\n", "r.json"));
}

bool Noted(const standin::ImportedDocument &imported, const std::string &beginning) {
    for (const std::string &note : imported.notes) {
        if (note.rfind(beginning, 0) == 0) return true;
    }
    return false;
}

TEST(RecordingImport, ShowsTheDocumentAsTheHostHeldItBeforeTheCommand) {
    const std::string recordings = KARVO_RECORDINGS;
    const standin::ImportedDocument imported = standin::ImportDocument(
        standin::ParseRecording(Source(recordings + "/not_laid_out_full_names.json"), "r.json"));
    const standin::Document example =
        standin::ReadDocumentFile(std::string(KARVO_EXAMPLES) + "/not_laid_out.json");
    const standin::Document &document = imported.document;
    EXPECT_EQ(document.hostVersion, example.hostVersion);
    EXPECT_EQ(document.currentPart, example.currentPart);
    EXPECT_EQ(document.layout, example.layout);
    EXPECT_EQ(imported.menuIndex, 1);
    ASSERT_TRUE(imported.measures);
    EXPECT_EQ(imported.measures->first, 1);
    EXPECT_EQ(imported.measures->last, 20);

    std::size_t measures = 0;
    for (const auto &[key, bytes] : document.records.All()) {
        const Bytes *held = example.records.Find(key);
        ASSERT_NE(held, nullptr) << standin::FormatByteText(bytes);
        if (key.tag == hostdata::kMeasureTag) {
            // Loaded in the 26-byte layout: bytes 4 to 7 are not known.
            ++measures;
            EXPECT_EQ(standin::MeasureInLayout(bytes, 0x0A000000),
                      standin::MeasureInLayout(*held, 0x0A000000));
            EXPECT_EQ(bytes.size(), 30u);
        } else if (key == RecordKey{hostdata::OtherTag('7', '7'), -2, 2} ||
                   key == RecordKey{hostdata::OtherTag('7', '7'), -2, 3}) {
            EXPECT_EQ(bytes, Bytes(12, 0));  // never loaded: made up
        } else {
            EXPECT_EQ(bytes, *held) << key.tag << " " << key.item;
        }
    }
    EXPECT_EQ(measures, 4u);
    EXPECT_LT(document.records.All().size(), example.records.All().size());
    EXPECT_TRUE(Noted(imported, "the module loaded the measures in the 26-byte layout"));
    EXPECT_TRUE(Noted(imported,
                      "0 stands for page format values the module never loaded, not "
                      "from the field: parts systemIndent, parts firstSystemIndent"));
    EXPECT_EQ(imported.notes.size(), 2u);
    EXPECT_NE(document.description.find("It holds only the records the module loaded"),
              std::string::npos);

    // It is a document like any other.
    const standin::Document again = standin::ParseDocument(standin::DocumentText(document), "d");
    EXPECT_EQ(again.records.All(), document.records.All());
    EXPECT_EQ(again.layout, document.layout);
}

TEST(RecordingImport, TakesEachRecordFromItsFirstLoadUnlessTheCommandWroteItFirst) {
    const Json save = {
        {"function", "FX_SaveEData"}, {"tag", "SOSS"}, {"key", {1, 0}},        {"length", 2},
        {"version", "0x19000000"},    {"result", 1},   {"handedOver", "05 06"}};
    const standin::ImportedDocument imported =
        Imported({save, Load("SOSS", 1, "05 06", 2), Load("ot17", -2, "01 02", 2),
                  Load("ot17", -2, "01 03", 2), Load("ot17", -2, "01 04", 2),
                  Load("ot99", -2, "00 00", 0, 0)});
    const auto &records = imported.document.records;
    EXPECT_EQ(records.Find({kSystems, 1, 0}), nullptr);
    ASSERT_NE(records.Find({kOt17, -2, 0}), nullptr);
    EXPECT_EQ(*records.Find({kOt17, -2, 0}), (Bytes{1, 2}));
    // A failed load: the host held no such record.
    EXPECT_EQ(records.Find({hostdata::OtherTag('9', '9'), -2, 0}), nullptr);
    EXPECT_TRUE(Noted(imported, "the host answered two loads of 'ot17' (-2,0) differently"));
    EXPECT_EQ(std::count_if(imported.notes.begin(), imported.notes.end(),
                            [](const std::string &note) {
                                return note.find("two loads") != std::string::npos;
                            }),
              1);
}

TEST(RecordingImport, KeepsWhatTheModuleCouldNotLoadAsZerosAndSaysSo) {
    const standin::ImportedDocument imported = Imported({Load("ot17", -2, "01 02 03 04", 6),
                                                         {{"function", "FX_NextEData"},
                                                          {"tag", "SOSS"},
                                                          {"key", {1, 0}},
                                                          {"keyAfter", {2, 0}},
                                                          {"version", "0x19000000"},
                                                          {"result", 1}}});
    EXPECT_EQ(*imported.document.records.Find({kOt17, -2, 0}), (Bytes{1, 2, 3, 4, 0, 0}));
    EXPECT_TRUE(Noted(imported,
                      "the module loaded only the first 4 of the 6 bytes of 'ot17' "
                      "(-2,0); the rest are 0 here"));
    EXPECT_TRUE(Noted(imported,
                      "the host holds records the module stepped to but never loaded, "
                      "absent here: 'SOSS' (2,0)"));
}

TEST(RecordingImport, TakesThePartTheSlotsAndTheSelection) {
    const auto selection = standin::SelectionRecord({2, 9});
    const std::string selected = standin::FormatByteText(Bytes(selection.begin(), selection.end()));
    const standin::ImportedDocument imported =
        Imported({Plain("FX_GetCurrentPartID", 3), Plain("FX_GetCurrentPartID", 4),
                  Plain("FX_SlotToInst", 5, {1, 0}), Plain("FX_SlotToInst", 0, {2, 0})},
                 {{"selection", selected}, {"menuIndex", 7}});
    EXPECT_EQ(imported.document.currentPart, 3);
    EXPECT_EQ(imported.document.slots, (std::map<uint16_t, int16_t>{{1, 5}}));
    EXPECT_EQ(imported.menuIndex, 7);
    ASSERT_TRUE(imported.measures);
    EXPECT_EQ(imported.measures->first, 2);
    EXPECT_EQ(imported.measures->last, 9);
    EXPECT_FALSE(Noted(imported, "the selection"));

    auto other = selection;
    other[2] = 4;
    const standin::ImportedDocument otherSlot = Imported(
        Json::array(), {{"selection", standin::FormatByteText(Bytes(other.begin(), other.end()))}});
    EXPECT_TRUE(otherSlot.measures);
    EXPECT_TRUE(Noted(otherSlot, "the selection record's other bytes"));

    auto negative = selection;
    negative[5] = 0xFF;
    const standin::ImportedDocument reversed =
        Imported(Json::array(),
                 {{"selection", standin::FormatByteText(Bytes(negative.begin(), negative.end()))}});
    EXPECT_FALSE(reversed.measures);
    EXPECT_TRUE(Noted(reversed, "the selection's measures -254 to 9 cannot be given"));
    EXPECT_NE(reversed.document.description.find("a selection of no measures run can give"),
              std::string::npos);
}

TEST(RecordingImport, SaysWhichFunctionsTheFieldsHostLacked) {
    const standin::ImportedDocument imported =
        Imported(Json::array(), {{"absentFunctions", {"FX_UpdateLayout"}}});
    EXPECT_TRUE(Noted(imported, "the field's host lacked FX_UpdateLayout, which run's host has"));
}

}  // namespace
