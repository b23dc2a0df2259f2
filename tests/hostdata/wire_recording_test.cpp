// A recording at the wire: every call the bound functions pass to the host,
// with what went in and what came back, and never a change to the call.
#include "hostdata/wire_recording.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "hostdata/host_binding.h"
#include "hostdata/host_calls.h"
#include "interface/data_tag.h"
#include "standin/host/fx_exports.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

constexpr uint32_t kSystems = hostdata::kStaffSystemTag;
constexpr uint32_t kVersion = 0x19000000;

// Lines of the recorded calls, without their indent.
std::vector<std::string> Lines(const hostdata::WireRecording &recording) {
    std::vector<std::string> lines;
    const std::string &text = recording.CallsText();
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start + 4, end - start - 4));
        start = end + 1;
    }
    return lines;
}

class WireRecording : public HostTest {
protected:
    WireRecording() {
        for (int16_t item = 1; item <= 2; ++item) {
            standin::Bytes system(28, 0);
            system[0] = static_cast<uint8_t>(item);
            system[27] = 0xAB;
            host.Records().Put({kSystems, item, 0}, system);
        }
        host.Slots()[3] = 7;
    }

    hostdata::WireRecording recording{1u << 20};
};

TEST_F(WireRecording, NothingIsRecordedWhileNoneIsStarted) {
    EXPECT_EQ(hostdata::BoundLoadEData(), &FX_LoadEData);
    EXPECT_EQ(hostdata::BoundSaveEData(), &FX_SaveEData);
    EXPECT_EQ(hostdata::BoundCreateEData(), &FX_CreateEData);
    EXPECT_EQ(hostdata::BoundDeleteEData(), &FX_DeleteEData);
    EXPECT_EQ(hostdata::BoundNextEData(), &FX_NextEData);
    EXPECT_EQ(hostdata::BoundSlotToInst(), &FX_SlotToInst);
    EXPECT_EQ(hostdata::BoundUpdateLayout(), &FX_UpdateLayout);
    EXPECT_EQ(hostdata::BoundGetCurrentEnigmaDocument(), &FX_GetCurrentEnigmaDocument);
    EXPECT_EQ(hostdata::BoundGetCurrentPartID(), &FX_GetCurrentPartID);
    hostdata::CurrentPart();
    EXPECT_EQ(recording.CallsMade(), 0u);
}

TEST_F(WireRecording, HoldsEveryFunctionsArgumentsAndAnswersAsTheHostSawThem) {
    recording.Start();
    hostdata::DataKey key{1, 0};
    std::array<uint8_t, 30> buffer{};
    buffer.fill(0xEE);
    int32_t size = 30;
    EXPECT_EQ(hostdata::LoadHostRecord(kSystems, &key, buffer.data(), &size, kVersion), 1);
    hostdata::DataKey missing{9, 0};
    int32_t room = 4;
    EXPECT_EQ(hostdata::LoadHostRecord(kSystems, &missing, buffer.data(), &room, kVersion), 0);
    buffer[2] = 0x90;
    EXPECT_EQ(hostdata::SaveHostRecord(kSystems, &key, buffer.data(), 28, kVersion), 1);
    hostdata::DataKey created{-1, -1};
    const uint8_t words[2] = {0x12, 0x34};
    EXPECT_EQ(hostdata::CreateHostRecord(kSystems, &created, words, 2, kVersion), 1);
    EXPECT_EQ(hostdata::DeleteHostRecord(kSystems, &created, kVersion), 1);
    EXPECT_EQ(hostdata::NextHostRecord(kSystems, &key, kVersion), 1);
    EXPECT_EQ(hostdata::SlotToInstrument(3, 0xFFFF), 7);
    hostdata::UpdateLayout();
    EXPECT_EQ(hostdata::CurrentDocument(), 1);
    host.SetCurrentPart(-5);
    EXPECT_EQ(hostdata::CurrentPart(), -5);
    recording.Stop();

    const std::string sosBefore =
        "\"01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ab "
        "ee ee\"";
    const std::string sosAfter =
        "\"01 00 90 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ab\"";
    EXPECT_EQ(Lines(recording),
              (std::vector<std::string>{
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"SOSS\", \"key\": [1, 0], \"room\": "
                  "30, \"version\": \"0x19000000\", \"result\": 1, \"size\": 28, \"handedBack\": " +
                      sosBefore + "},",
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"SOSS\", \"key\": [9, 0], \"room\": "
                  "4, \"version\": \"0x19000000\", \"result\": 0, \"size\": 4, \"handedBack\": "
                  "\"01 00 00 00\"},",
                  "{\"function\": \"FX_SaveEData\", \"tag\": \"SOSS\", \"key\": [1, 0], "
                  "\"length\": 28, \"version\": \"0x19000000\", \"result\": 1, \"handedOver\": " +
                      sosAfter + "},",
                  "{\"function\": \"FX_CreateEData\", \"tag\": \"SOSS\", \"key\": [-1, -1], "
                  "\"keyAfter\": [3, 0], \"length\": 2, \"version\": \"0x19000000\", \"result\": "
                  "1, \"handedOver\": \"12 34\"},",
                  "{\"function\": \"FX_DeleteEData\", \"tag\": \"SOSS\", \"key\": [3, 0], "
                  "\"version\": \"0x19000000\", \"result\": 1},",
                  "{\"function\": \"FX_NextEData\", \"tag\": \"SOSS\", \"key\": [1, 0], "
                  "\"keyAfter\": [2, 0], \"version\": \"0x19000000\", \"result\": 1},",
                  "{\"function\": \"FX_SlotToInst\", \"arguments\": [3, 65535], \"version\": "
                  "\"0x19000000\", \"result\": 7},",
                  "{\"function\": \"FX_UpdateLayout\", \"arguments\": [1, 0], \"version\": "
                  "\"0x19000000\", \"result\": 1},",
                  "{\"function\": \"FX_GetCurrentEnigmaDocument\", \"version\": \"0x19000000\", "
                  "\"result\": 1},",
                  "{\"function\": \"FX_GetCurrentPartID\", \"version\": \"0x19000000\", "
                  "\"result\": -5}",
              }));
    EXPECT_EQ(recording.CallsMade(), 10u);
    EXPECT_EQ(recording.CallsRecorded(), 10u);
    EXPECT_EQ(recording.Missing(), hostdata::WireRecording::Gap::kNone);
    EXPECT_EQ(recording.AbsentFunctionsText(), "[]");
    // The host saw each call once, as it was made.
    EXPECT_EQ(host.Trace().size(), 10u);
}

TEST_F(WireRecording, GivesTheKeyAfterWhenOnlyItsInciChanged) {
    host.Records().Put({kSystems, 1, 1}, standin::Bytes(28, 0));
    recording.Start();
    hostdata::DataKey key{1, 0};
    EXPECT_EQ(hostdata::NextHostRecord(kSystems, &key, kVersion), 1);
    recording.Stop();
    EXPECT_EQ(Lines(recording), std::vector<std::string>{
                                    "{\"function\": \"FX_NextEData\", \"tag\": \"SOSS\", \"key\": "
                                    "[1, 0], \"keyAfter\": [1, 1], \"version\": \"0x19000000\", "
                                    "\"result\": 1}"});
}

TEST_F(WireRecording, SaysNullWhereACallHadNoKeyRoomOrBuffer) {
    recording.Start();
    FxDataKey key{1, 0};
    int32_t room = 28;
    int32_t negative = -3;
    uint8_t buffer[28] = {};
    // The zero-probe tag has a tab in it, the others a quote, a backslash
    // and a byte past ASCII: all are written as words.
    hostdata::BoundLoadEData()(hostdata::kZeroProbeTag, &key, buffer, nullptr, kVersion);
    hostdata::BoundDeleteEData()(hostdata::MakeTag('a', 'b', '\\', 'c'), nullptr, kVersion);
    hostdata::BoundDeleteEData()(hostdata::MakeTag('a', 'b', 'c', '\x7F'), nullptr, kVersion);
    hostdata::BoundLoadEData()(hostdata::MakeTag('a', '"', 'b', 'c'), nullptr, buffer, &room,
                               kVersion);
    hostdata::BoundLoadEData()(kSystems, &key, nullptr, &room, kVersion);
    hostdata::BoundLoadEData()(kSystems, &key, buffer, &negative, kVersion);
    hostdata::BoundSaveEData()(kSystems, &key, nullptr, 28, kVersion);
    hostdata::BoundCreateEData()(kSystems, &key, buffer, -1, kVersion);
    hostdata::BoundDeleteEData()(kSystems, nullptr, kVersion);
    hostdata::BoundNextEData()(kSystems, nullptr, nullptr, nullptr, kVersion);
    recording.Stop();
    EXPECT_EQ(Lines(recording),
              (std::vector<std::string>{
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"0x4F096649\", \"key\": [1, 0], "
                  "\"room\": null, \"version\": \"0x19000000\", \"result\": 0, \"handedBack\": "
                  "null},",
                  "{\"function\": \"FX_DeleteEData\", \"tag\": \"0x61625C63\", \"key\": null, "
                  "\"version\": \"0x19000000\", \"result\": 0},",
                  "{\"function\": \"FX_DeleteEData\", \"tag\": \"0x6162637F\", \"key\": null, "
                  "\"version\": \"0x19000000\", \"result\": 0},",
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"0x61226263\", \"key\": null, "
                  "\"room\": 28, \"version\": \"0x19000000\", \"result\": 0, \"size\": 28, "
                  "\"handedBack\": \"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                  "00 00 00 00 00 00 00 00\"},",
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"SOSS\", \"key\": [1, 0], \"room\": "
                  "28, \"version\": \"0x19000000\", \"result\": 1, \"size\": 28, \"handedBack\": "
                  "null},",
                  "{\"function\": \"FX_LoadEData\", \"tag\": \"SOSS\", \"key\": [1, 0], \"room\": "
                  "-3, \"version\": \"0x19000000\", \"result\": 1, \"size\": 28, \"handedBack\": "
                  "\"\"},",
                  "{\"function\": \"FX_SaveEData\", \"tag\": \"SOSS\", \"key\": [1, 0], "
                  "\"length\": 28, \"version\": \"0x19000000\", \"result\": 0, \"handedOver\": "
                  "null},",
                  "{\"function\": \"FX_CreateEData\", \"tag\": \"SOSS\", \"key\": [1, 0], "
                  "\"length\": -1, \"version\": \"0x19000000\", \"result\": 0, \"handedOver\": "
                  "\"\"},",
                  "{\"function\": \"FX_DeleteEData\", \"tag\": \"SOSS\", \"key\": null, "
                  "\"version\": \"0x19000000\", \"result\": 0},",
                  "{\"function\": \"FX_NextEData\", \"tag\": \"SOSS\", \"key\": null, "
                  "\"version\": \"0x19000000\", \"result\": 0}",
              }));
}

TEST_F(WireRecording, NotesTheFunctionsTheHostLacksAndAnswersTheirFallBacks) {
    UseHost(
        {"FINALE.EXE", {"FX_SaveEData", "FX_NextEData", "FX_UpdateLayout", "FX_GetCurrentPartID"}});
    recording.Start();
    hostdata::DataKey key{1, 0};
    uint8_t buffer[28] = {};
    EXPECT_EQ(hostdata::SaveHostRecord(kSystems, &key, buffer, 28, kVersion), 0);
    EXPECT_EQ(hostdata::NextHostRecord(kSystems, &key, kVersion), 0);
    hostdata::UpdateLayout();
    EXPECT_EQ(hostdata::CurrentPart(), -1);
    EXPECT_EQ(hostdata::CurrentDocument(), 1);
    recording.Stop();
    EXPECT_EQ(recording.AbsentFunctionsText(),
              "[\"FX_SaveEData\", \"FX_NextEData\", \"FX_UpdateLayout\", \"FX_GetCurrentPartID\"]");
    EXPECT_EQ(recording.CallsMade(), 1u);

    UseHost({"FINALE.EXE",
             {"FX_LoadEData", "FX_SaveEData", "FX_CreateEData", "FX_DeleteEData", "FX_NextEData",
              "FX_SlotToInst", "FX_UpdateLayout", "FX_GetCurrentEnigmaDocument",
              "FX_GetCurrentPartID"}});
    hostdata::WireRecording lacking(1u << 20);
    lacking.Start();
    int32_t size = 28;
    EXPECT_EQ(hostdata::LoadHostRecord(kSystems, &key, buffer, &size, kVersion), 0);
    EXPECT_EQ(hostdata::SaveHostRecord(kSystems, &key, buffer, 28, kVersion), 0);
    EXPECT_EQ(hostdata::CreateHostRecord(kSystems, &key, buffer, 28, kVersion), 0);
    EXPECT_EQ(hostdata::DeleteHostRecord(kSystems, &key, kVersion), 0);
    EXPECT_EQ(hostdata::NextHostRecord(kSystems, &key, kVersion), 0);
    EXPECT_EQ(hostdata::SlotToInstrument(1, 0), 0);
    hostdata::UpdateLayout();
    EXPECT_EQ(hostdata::CurrentDocument(), 0);
    EXPECT_EQ(hostdata::CurrentPart(), -1);
    lacking.Stop();
    EXPECT_EQ(lacking.AbsentFunctionsText(),
              "[\"FX_LoadEData\", \"FX_SaveEData\", \"FX_CreateEData\", \"FX_DeleteEData\", "
              "\"FX_NextEData\", \"FX_SlotToInst\", \"FX_UpdateLayout\", "
              "\"FX_GetCurrentEnigmaDocument\", \"FX_GetCurrentPartID\"]");
    EXPECT_EQ(lacking.CallsMade(), 0u);
}

TEST_F(WireRecording, StopsAtItsBoundAfterTheLastWholeCall) {
    const auto load = [] {
        hostdata::DataKey key{1, 0};
        uint8_t buffer[28] = {};
        int32_t size = 28;
        hostdata::LoadHostRecord(kSystems, &key, buffer, &size, kVersion);
    };
    recording.Start();
    load();
    recording.Stop();
    // Exactly two calls and the separator between them fit.
    const std::size_t bound = 2 * recording.CallsText().size() + 2;
    hostdata::WireRecording bounded(bound);
    bounded.Start();
    for (int i = 0; i < 6; ++i) load();
    bounded.Stop();
    EXPECT_EQ(bounded.CallsRecorded(), 2u);
    EXPECT_EQ(bounded.CallsMade(), 6u);
    EXPECT_EQ(bounded.Missing(), hostdata::WireRecording::Gap::kPastBound);
    EXPECT_EQ(bounded.CallsText().size(), bound);
    EXPECT_EQ(host.Trace().size(), 7u);

    // One byte less, and the second call no longer fits.
    hostdata::WireRecording shorter(bound - 1);
    shorter.Start();
    for (int i = 0; i < 2; ++i) load();
    shorter.Stop();
    EXPECT_EQ(shorter.CallsRecorded(), 1u);
    EXPECT_EQ(shorter.Missing(), hostdata::WireRecording::Gap::kPastBound);
}

TEST_F(WireRecording, NeverReadsABufferTooLargeForItsBound) {
    hostdata::WireRecording bounded(4096);
    bounded.Start();
    hostdata::DataKey key{1, 0};
    uint8_t buffer[28] = {};
    // The room claims far more than the buffer has; the host copies only
    // the record, and the recording must not read the room.
    int32_t size = 1 << 30;
    EXPECT_EQ(hostdata::BoundLoadEData()(kSystems, &key, buffer, &size, kVersion), 1);
    bounded.Stop();
    EXPECT_EQ(bounded.CallsRecorded(), 0u);
    EXPECT_EQ(bounded.Missing(), hostdata::WireRecording::Gap::kPastBound);
}

TEST_F(WireRecording, OnlyTheLatestStartedRecordsAndNothingAfterItStops) {
    hostdata::WireRecording later(1u << 20);
    recording.Start();
    const FX_GetCurrentPartID_fn handedOut = hostdata::BoundGetCurrentPartID();
    later.Start();
    recording.Stop();  // stops nothing: the later one records
    hostdata::CurrentPart();
    later.Stop();
    handedOut(kVersion);
    EXPECT_EQ(recording.CallsMade(), 0u);
    EXPECT_EQ(later.CallsMade(), 1u);
    EXPECT_EQ(host.Trace().size(), 2u);
}

}  // namespace
