// Recording an invoke: one file per invoke, whole, numbered on, the newest
// fifty kept; and the command the same whether it is recorded or not, also
// when the folder takes no file, the disk is full or the recording outgrows
// its bound.
#include "shell/invoke_recording.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "interface/finale_extension.h"
#include "interface/recording/recording_text.h"
#include "karvo_version.h"
#include "platform/recording_files.h"
#include "standin/document/document_builder.h"
#include "standin/document/generated_document.h"
#include "standin/platform/byte_text.h"
#include "tests/support/fresh_host_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

using Json = nlohmann::json;
using namespace standin::document_builder;

constexpr char kFirst[] = "karvo-indent-0000000001.json";

std::string Numbered(int number) {
    std::string digits = std::to_string(number);
    return "karvo-indent-" + std::string(10 - digits.size(), '0') + digits + ".json";
}

// What the host saw: every call with its bytes, and the records it holds.
std::string Seen(const standin::Host &host) {
    std::string seen;
    for (const auto &call : host.Trace()) {
        seen += call.ToString() + " " + standin::FormatByteText(call.data) + "\n";
    }
    for (const auto &[key, bytes] : host.Records().All()) {
        seen += std::to_string(key.tag) + " " + std::to_string(key.item) + " " +
                standin::FormatByteText(bytes) + "\n";
    }
    return seen;
}

class InvokeRecording : public HostTest {
protected:
    InvokeRecording() {
        PutWorkedExample(host);
        FinaleExtensionVersion(0x12000000);
    }

    static void PutWorkedExample(standin::Host &into) {
        AddPageFormats(into);
        AddSystems(into, {1, 4, 8, 11, 15});
        AddMeasures(into, 20);
        SetBarlineStyle(into, 7, 5);
    }

    void Invoke(standin::Host &on, uint16_t menuIndex = 0) {
        standin::Host::SetCurrent(&on);
        const auto selection = Selection(5, 12);
        EXPECT_EQ(FinaleExtensionInvoke(nullptr, menuIndex, selection.data()), 1u);
        standin::Host::SetCurrent(&host);
    }
    void Invoke() { Invoke(host); }

    // What the host sees of the worked example's command when recordings
    // go to `folder` (none: recording is off).
    std::string SeenRecordingTo(const char *folder) {
        const scratch::Environment recordTo(KARVO_RECORD_DIR_VARIABLE, folder);
        standin::Host fresh;
        PutWorkedExample(fresh);
        Invoke(fresh);
        return Seen(fresh);
    }

    Json Recording(const std::string &name) const { return Json::parse(folder.Read(name)); }

    scratch::Folder folder;
    scratch::Environment recordTo{KARVO_RECORD_DIR_VARIABLE, folder.Text().c_str()};
};

TEST_F(InvokeRecording, HoldsTheInvokeAndEveryCallAsTheHostSawThem) {
    Invoke();
    ASSERT_EQ(folder.Names(), std::set<std::string>{kFirst});
    const std::string text = folder.Read(kFirst);
    EXPECT_EQ(text.substr(text.size() - 8), "}\n  ]\n}\n");
    const Json recording = Json::parse(text);
    EXPECT_EQ(recording["format"], "Karvo Indent System recording");
    EXPECT_EQ(recording["formatVersion"], 1);
    EXPECT_EQ(recording["complete"], true);
    EXPECT_EQ(recording["module"], KARVO_VERSION_DOTTED);
    EXPECT_EQ(recording["interfaceVersion"], "0x0E010000");
    EXPECT_EQ(recording["hostVersion"], "0x12000000");
    EXPECT_EQ(recording["menuIndex"], 0);
    EXPECT_EQ(recording["selection"], standin::FormatByteText(Selection(5, 12)));
    EXPECT_EQ(recording["absentFunctions"], Json::array());
    EXPECT_EQ(recording["invokeResult"], 1);
    const auto &trace = host.Trace();
    const Json &calls = recording["calls"];
    EXPECT_EQ(recording["callsMade"], trace.size());
    ASSERT_EQ(calls.size(), trace.size());
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const Json &call = calls[i];
        EXPECT_EQ(call["function"], trace[i].function) << i;
        EXPECT_EQ(call["result"], trace[i].result) << i;
        if (trace[i].hasKey) {
            EXPECT_EQ(call["key"], Json::array({trace[i].itemIn, trace[i].inciIn})) << i;
        }
        if (trace[i].hasSize) {
            EXPECT_EQ(call["room"], trace[i].sizeIn) << i;
            EXPECT_EQ(call["size"], trace[i].sizeOut) << i;
            // Every record fills the room the command offers.
            EXPECT_EQ(call["handedBack"], standin::FormatByteText(trace[i].data)) << i;
        }
        if (trace[i].hasLength) {
            EXPECT_EQ(call["handedOver"], standin::FormatByteText(trace[i].data)) << i;
        }
    }
}

TEST_F(InvokeRecording, ChangesNothingTheHostSees) {
    const std::string unrecorded = SeenRecordingTo(nullptr);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(SeenRecordingTo(folder.Text().c_str()), unrecorded);
    EXPECT_EQ(folder.Names().size(), 1u);
}

TEST_F(InvokeRecording, WithoutASelectionRecordsNone) {
    FinaleExtensionInvoke(nullptr, 1, nullptr);
    const Json recording = Recording(kFirst);
    EXPECT_EQ(recording["selection"], nullptr);
    EXPECT_EQ(recording["menuIndex"], 1);
}

TEST_F(InvokeRecording, NamesTheFunctionsTheHostLacks) {
    UseHost({"FINALE.EXE", {"FX_GetCurrentPartID", "FX_CreateEData"}});
    Invoke();
    EXPECT_EQ(Recording(kFirst)["absentFunctions"], Json::array({"FX_GetCurrentPartID"}));
}

TEST_F(InvokeRecording, AHostWithoutFunctionsGetsNoCallAndTheRecordingSaysWhy) {
    UseHost({"FINALE.EXE",
             {"FX_LoadEData", "FX_SaveEData", "FX_CreateEData", "FX_DeleteEData", "FX_NextEData",
              "FX_SlotToInst", "FX_UpdateLayout", "FX_GetCurrentEnigmaDocument",
              "FX_GetCurrentPartID"}});
    Invoke();
    const Json recording = Recording(kFirst);
    EXPECT_EQ(recording["calls"], Json::array());
    EXPECT_EQ(recording["callsMade"], 0);
    // Those the command asked for: it found no staff system to save.
    EXPECT_EQ(recording["absentFunctions"], Json::array({"FX_LoadEData", "FX_GetCurrentPartID"}));
}

TEST_F(InvokeRecording, EachInvokeGetsTheNextNumberAndOtherFilesStayAsTheyAre) {
    const std::set<std::string> others{
        "karvo-indent-12.json",         "karvo-indent-000000000x.json",
        "karvo-indent-000000000-.json", "karvo-indent-0000000009.jsonx",
        "karvo-indent-0000000009xjson", "notes.txt"};
    for (const std::string &name : others) folder.Put(name, "theirs");
    folder.Put(Numbered(7), "an earlier recording");
    Invoke();
    Invoke();
    std::set<std::string> expected = others;
    expected.insert({Numbered(7), Numbered(8), Numbered(9)});
    EXPECT_EQ(folder.Names(), expected);
    for (const std::string &name : others) EXPECT_EQ(folder.Read(name), "theirs");
    EXPECT_EQ(folder.Read(Numbered(7)), "an earlier recording");
}

// Files are told by what they hold, not by their names: the user's own
// under a recording's name, and a folder, stay and are not counted.
TEST_F(InvokeRecording, KeepsTheNewestFiftyRecordingsAndRemovesNothingElse) {
    const std::string recording =
        std::string(hostdata::recording_text::kRecordingStart) + "  \"formatVersion\": 1";
    for (int number = 1; number <= 61; ++number) {
        folder.Put(Numbered(number), number <= 6 ? "the user's own notes" : recording);
    }
    folder.Put(Numbered(62), recording.substr(0, 10));
    scratch::fs::create_directory(folder.Path() / Numbered(63));
    folder.Put("notes.txt");
    Invoke();
    std::set<std::string> expected{"notes.txt"};
    for (int number = 1; number <= 6; ++number) expected.insert(Numbered(number));
    for (int number = 13; number <= 64; ++number) expected.insert(Numbered(number));
    EXPECT_EQ(folder.Names(), expected);
    EXPECT_EQ(folder.Read(Numbered(1)), "the user's own notes");
    EXPECT_EQ(folder.Read(Numbered(64)).rfind(hostdata::recording_text::kRecordingStart, 0), 0u);
}

TEST_F(InvokeRecording, ReadsNoFileWhileFewerThanFiftyAreThere) {
    for (int number = 1; number <= 49; ++number) folder.Put(Numbered(number));
    Invoke();
    EXPECT_EQ(folder.Names().size(), 50u);
}

TEST_F(InvokeRecording, PassesOverNumbersAnotherWriterHolds) {
    folder.Put(Numbered(1) + ".tmp", "another writer's");
    Invoke();
    EXPECT_EQ(folder.Names(), (std::set<std::string>{Numbered(1) + ".tmp", Numbered(2)}));
    EXPECT_EQ(folder.Read(Numbered(1) + ".tmp"), "another writer's");
}

TEST_F(InvokeRecording, GivesUpAfterEightNumbersOthersHold) {
    std::set<std::string> held;
    for (int number = 1; number <= 8; ++number) held.insert(Numbered(number) + ".tmp");
    for (const std::string &name : held) folder.Put(name);
    Invoke();
    EXPECT_EQ(folder.Names(), held);
}

TEST_F(InvokeRecording, NumbersEndAtTenDigits) {
    folder.Put("karvo-indent-9999999999.json");
    Invoke();
    EXPECT_EQ(folder.Names(), std::set<std::string>{"karvo-indent-9999999999.json"});
}

TEST_F(InvokeRecording, AFolderThatTakesNoFileChangesNothing) {
    const std::string unrecorded = SeenRecordingTo(nullptr);
    folder.Put("a file");
    EXPECT_EQ(SeenRecordingTo((folder.Path() / "a file").string().c_str()), unrecorded);
    EXPECT_EQ(SeenRecordingTo((folder.Path() / "missing").string().c_str()), unrecorded);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"a file"});
}

#if !defined(_WIN32)
TEST_F(InvokeRecording, AFullDiskChangesNothingAndLeavesNothing) {
    const std::string unrecorded = SeenRecordingTo(nullptr);
    const scratch::FileSizeLimit nearlyFull(1000);
    EXPECT_EQ(SeenRecordingTo(folder.Text().c_str()), unrecorded);
    EXPECT_TRUE(folder.Names().empty());
}
#endif

TEST_F(InvokeRecording, PastItsBoundEndsAtAWholeCallMarkedIncomplete) {
    standin::Host unrecorded = standin::generated_document::Generate({20000, 32767});
    standin::Host recorded = unrecorded;
    const auto selection = Selection(1, 32767);
    {
        const scratch::Environment off(KARVO_RECORD_DIR_VARIABLE, nullptr);
        standin::Host::SetCurrent(&unrecorded);
        FinaleExtensionInvoke(nullptr, 0, selection.data());
    }
    standin::Host::SetCurrent(&recorded);
    FinaleExtensionInvoke(nullptr, 0, selection.data());
    standin::Host::SetCurrent(&host);
    EXPECT_EQ(Seen(recorded), Seen(unrecorded));

    const std::string text = folder.Read(kFirst);
    EXPECT_LE(text.size(), hostdata::recording_text::kMostRecordingBytes);
    EXPECT_GT(text.size(), hostdata::recording_text::kMostRecordingBytes - 4096);
    const Json recording = Json::parse(text);
    EXPECT_EQ(recording["complete"], false);
    const std::size_t kept = recording["calls"].size();
    EXPECT_EQ(recording["incomplete"],
              "the recording reached its bound of 16 MiB: the calls after call " +
                  std::to_string(kept) + " are not in it");
    EXPECT_EQ(recording["callsMade"], recorded.Trace().size());
    EXPECT_LT(kept, recorded.Trace().size());
    EXPECT_EQ(recording["calls"][kept - 1]["function"], recorded.Trace()[kept - 1].function);
}

}  // namespace
