// Reading a recording: a whole one is taken exactly; anything else is
// refused with a message that says what is wrong, never taken in part.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "interface/recording/recording_reader.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Source(const std::string &name) {
    std::ifstream file(std::string(KARVO_RECORDINGS) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A recording the module made of the minimal example: Final Barlines over
// measures 1 to 4.
const std::string &Minimal() {
    static const std::string text = Source("minimal_final_barlines.json");
    return text;
}

std::string Text(const Json &recording) { return recording.dump(2) + "\n"; }

// The message reading `text` gives; empty when it reads.
std::string Refusal(const std::string &text) {
    try {
        standin::ParseRecording(text, "r.json");
    } catch (const standin::RecordingError &error) {
        return error.what();
    }
    return {};
}

// The minimal recording with one change made to it.
template <typename Change>
std::string Changed(Change change) {
    Json recording = Json::parse(Minimal());
    change(recording);
    return Refusal(Text(recording));
}

TEST(RecordingReader, TakesAWholeRecordingExactly) {
    const standin::Recording recording = standin::ParseRecording(Minimal(), "r.json");
    EXPECT_EQ(recording.module, "1.0.3.0");
    EXPECT_EQ(recording.interfaceVersion, 0x0E010000u);
    EXPECT_EQ(recording.hostVersion, 0x12000000u);
    EXPECT_EQ(recording.menuIndex, 0);
    ASSERT_TRUE(recording.selection);
    EXPECT_EQ((*recording.selection)[14], 4);
    EXPECT_TRUE(recording.absentFunctions.empty());
    EXPECT_EQ(recording.invokeResult, 1u);
    ASSERT_EQ(recording.calls.size(), 24u);
    const standin::HostCall &next = recording.calls[2].call;
    EXPECT_EQ(next.ToString(), "FX_NextEData 'SOSS' (1,0)->(2,0) v=0x19000000 -> 1");
    const standin::RecordedCall &measure = recording.calls[20];
    EXPECT_EQ(measure.call.ToString(),
              "FX_LoadEData 'SOMS' (2,0) room 30 v=0x12000000 -> 1 size 30");
    EXPECT_TRUE(measure.bytesKnown);
    ASSERT_EQ(measure.call.data.size(), 30u);
    EXPECT_EQ(measure.call.data[14], 0x50);
    const standin::RecordedCall &save = recording.calls[23];
    EXPECT_EQ(save.call.ToString(), "FX_SaveEData 'SOSS' (2,0) length 28 v=0x19000000 -> 1");
    EXPECT_EQ(save.call.data[2], 0x90);
    EXPECT_EQ(standin::AskedText(next), "FX_NextEData 'SOSS' (1,0)->(2,0) v=0x19000000");
}

TEST(RecordingReader, RefusesTheTextCutShortAtAnyByte) {
    const std::string &whole = Minimal();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const std::string refusal = Refusal(whole.substr(0, length));
        ASSERT_NE(refusal.find("r.json: truncated: "), std::string::npos)
            << "cut at " << length << ": " << refusal;
    }
}

TEST(RecordingReader, RefusesWhatIsNoRecordingOfThisFormat) {
    EXPECT_EQ(Refusal("{\"calls\": []}\n]"), "r.json: not a recording: not valid JSON at byte 15");
    EXPECT_EQ(Refusal("{\"callsMade\": 1e999}\n"),
              "r.json: not a recording: not valid JSON: number overflow parsing '1e999'");
    EXPECT_EQ(Changed([](Json &r) { r["formatVersion"] = 2; }),
              "r.json: format version 2: this program reads format version 1 only");
    EXPECT_EQ(Changed([](Json &r) { r["format"] = "something else"; }),
              "r.json: not a recording of the Karvo Indent System plug-in (its format is "
              "\"something else\")");
    EXPECT_EQ(Changed([](Json &r) { r.erase("formatVersion"); }),
              "r.json: /formatVersion: missing");
    EXPECT_EQ(Refusal("[1]\n"), "r.json: /: expected a recording (an object), found a list");
}

TEST(RecordingReader, RefusesAnIncompleteRecordingSayingWhy) {
    EXPECT_EQ(Changed([](Json &r) {
                  r["complete"] = false;
                  r["incomplete"] =
                      "the recording reached its bound of 16 MiB: the calls after "
                      "call 20 are not in it";
              }),
              "r.json: incomplete: the recording reached its bound of 16 MiB: the calls after "
              "call 20 are not in it; only a whole recording can be replayed or imported");
    EXPECT_EQ(Changed([](Json &r) { r["callsMade"] = 25; }),
              "r.json: /calls: holds 24 calls, but 25 were made");
}

// The minimal recording's text with its first `from` made `to`.
std::string Edited(const std::string &from, const std::string &to) {
    std::string text = Minimal();
    const std::size_t at = text.find(from);
    if (at == std::string::npos) return "no " + from;
    return Refusal(text.replace(at, from.size(), to));
}

// Which of two values a reader takes is anyone's guess: neither is taken.
TEST(RecordingReader, RefusesAKeyGivenTwiceNamingItsPlace) {
    EXPECT_EQ(Edited("\"complete\": true,", "\"complete\": true, \"complete\": false,"),
              "r.json: /complete: given twice in one object; keep one of them");
    EXPECT_EQ(Edited("\"result\": 1, \"size\": 28,", "\"result\": 1, \"size\": 28, \"size\": 28,"),
              "r.json: /calls/0/size: given twice in one object; keep one of them");
    EXPECT_EQ(Edited("\"key\": [2, 0], \"room\"", "\"key\": [2, 0], \"key\": [2, 0], \"room\""),
              "r.json: /calls/3/key: given twice in one object; keep one of them");
    // Found before what else is wrong with the text, at its place.
    EXPECT_EQ(Refusal("{\"calls\": [7, {\"a\": 1, \"a\": 2}]}\n"),
              "r.json: /calls/1/a: given twice in one object; keep one of them");
    // The same key in two objects is two values.
    EXPECT_EQ(Refusal(Minimal()), "");
}

TEST(RecordingReader, RefusesImpossibleSizes) {
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["size"] = 1048577; }),
              "r.json: /calls/0/size: an impossible size: the host reports a record of 1048577 "
              "bytes (a record holds 0 to 1048576)");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["size"] = 1048576; }), "");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["size"] = -1; }),
              "r.json: /calls/0/size: an impossible size: the host reports a record of -1 bytes "
              "(a record holds 0 to 1048576)");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["room"] = 27; }),
              "r.json: /calls/0/handedBack: an impossible size: 28 bytes handed back in a room "
              "of 27");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][22]["length"] = 29; }),
              "r.json: /calls/22/handedOver: an impossible size: 28 bytes handed over as 29");
    // A failed load's size means nothing.
    EXPECT_EQ(Changed([](Json &r) {
                  r["calls"][0]["result"] = 0;
                  r["calls"][0]["size"] = -1;
              }),
              "");
}

TEST(RecordingReader, RefusesCallsNoModuleCouldHaveMade) {
    EXPECT_EQ(Changed([](Json &r) { r["calls"][1]["function"] = "FX_Print"; }),
              "r.json: /calls/1/function: expected the name of a host function, found "
              "\"FX_Print\"");
    EXPECT_EQ(Changed([](Json &r) { r["absentFunctions"] = Json::array({"FX_NextEData"}); }),
              "r.json: /calls/2/function: a call of FX_NextEData, which the recording says the "
              "host lacked");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][1]["tag"] = "SOSS"; }),
              "r.json: /calls/1/tag: not a key of a recording");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0].erase("handedBack"); }),
              "r.json: /calls/0/handedBack: missing");
    EXPECT_EQ(Changed([](Json &r) {
                  r["calls"][0]["key"] = Json::array({1, 40000});
              }),
              "r.json: /calls/0/key/1: expected a 16-bit signed number, found 40000");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][2]["key"] = nullptr; }),
              "r.json: /calls/2/keyAfter: a key after a call that had none");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["room"] = nullptr; }),
              "r.json: /calls/0/size: a size reported without a room offered");
    EXPECT_EQ(Changed([](Json &r) {
                  r["calls"][0]["room"] = nullptr;
                  r["calls"][0].erase("size");
              }),
              "r.json: /calls/0/handedBack: bytes handed back without a room offered");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["tag"] = "SOSSS"; }),
              "r.json: /calls/0/tag: expected a data tag: four characters, or \"0x\" and 8 hex "
              "digits, found \"SOSSS\"");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][1]["version"] = "0x1900000G"; }),
              "r.json: /calls/1/version: expected a 32-bit word as text, \"0x\" and 8 hex "
              "digits, found \"0x1900000G\"");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][1]["result"] = 32768; }),
              "r.json: /calls/1/result: expected a 16-bit signed number, found 32768");
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["handedBack"] = "00 .."; }),
              "r.json: /calls/0/handedBack: \"..\" stands for no byte in a recording");
    EXPECT_EQ(Changed([](Json &r) {
                  r["absentFunctions"] = Json::array({"FX_UpdateLayout", "FX_UpdateLayout"});
              }),
              "r.json: /absentFunctions/1: FX_UpdateLayout is listed twice");
    EXPECT_EQ(Changed([](Json &r) { r["selection"] = "00 01"; }),
              "r.json: /selection: expected the 20 bytes of a selection record, found 2");
    EXPECT_EQ(Changed([](Json &r) { r["menuIndex"] = 65536; }),
              "r.json: /menuIndex: expected a menu index (0 to 65535), found 65536");
    EXPECT_EQ(Changed([](Json &r) { r["user"] = "someone"; }),
              "r.json: /user: not a key of a recording");
}

// Each function's numbers and result are read at the width and sign its
// signature gives them.
// Bytes as the plug-in writes them: two digits each, in either case, one
// space between two, as the schema has them.
TEST(RecordingReader, TakesBytesOnlySeparatedByOneSpaceEach) {
    const std::string zeros = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ";
    EXPECT_EQ(Changed([&](Json &r) { r["selection"] = zeros + "FF"; }), "");
    for (const std::string &spaced : {"00  " + zeros.substr(3) + "00", zeros + "00 ",
                                      " " + zeros + "00", zeros.substr(0, 56) + "\t00"}) {
        EXPECT_EQ(Changed([&](Json &r) { r["selection"] = spaced; }),
                  "r.json: /selection: bytes in a recording are separated by one space each")
            << spaced;
    }
    EXPECT_EQ(Changed([](Json &r) { r["calls"][0]["handedBack"] = "01\n00"; }),
              "r.json: /calls/0/handedBack: bytes in a recording are separated by one space each");
}

TEST(RecordingReader, ReadsNumbersAndResultsAtTheirFunctionsWidthAndSign) {
    const auto withCall = [](const std::string &function, Json arguments, int64_t result) {
        return Changed([&](Json &r) {
            r["calls"][1] = Json{{"function", function},
                                 {"arguments", std::move(arguments)},
                                 {"version", "0x19000000"},
                                 {"result", result}};
        });
    };
    EXPECT_EQ(withCall("FX_SlotToInst", Json::array({4294967295u, 0}), 5), "");
    EXPECT_EQ(withCall("FX_SlotToInst", Json::array({-1, 0}), 5),
              "r.json: /calls/1/arguments/0: expected a 32-bit unsigned number, found -1");
    EXPECT_EQ(withCall("FX_SlotToInst", Json::array({1, 0}), 70000),
              "r.json: /calls/1/result: expected a 16-bit signed number, found 70000");
    EXPECT_EQ(withCall("FX_UpdateLayout", Json::array({-1, 0}), 70000), "");
    EXPECT_EQ(withCall("FX_UpdateLayout", Json::array({4294967295u, 0}), 1),
              "r.json: /calls/1/arguments/0: expected a 32-bit signed number, found 4294967295");
}

TEST(RecordingReader, TakesTagsGivenAsWordsAndCallsWithoutBuffers) {
    Json recording = Json::parse(Minimal());
    recording["calls"][0]["tag"] = "0x534F5353";
    recording["calls"][23]["handedOver"] = nullptr;
    recording["selection"] = nullptr;
    const standin::Recording read = standin::ParseRecording(Text(recording), "r.json");
    EXPECT_EQ(read.calls[0].call.tag, 0x534F5353u);
    EXPECT_FALSE(read.calls[23].bytesKnown);
    EXPECT_FALSE(read.selection);
}

TEST(RecordingReader, NamesAFileItCannotRead) {
    try {
        standin::ReadRecordingFile("nowhere/recording.json");
        FAIL() << "read a file that is not there";
    } catch (const standin::RecordingError &error) {
        EXPECT_NE(std::string(error.what()).find("nowhere/recording.json"), std::string::npos);
    }
}

}  // namespace
