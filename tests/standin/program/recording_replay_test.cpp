// The host a replay plays: it answers each call as recorded while the calls
// are the recorded ones, and names the first that is not, with what was
// expected and what came.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "standin/host/trace_reissue.h"
#include "standin/program/recording_replay.h"

namespace {

standin::Recording Minimal() {
    std::ifstream file(std::string(KARVO_RECORDINGS) + "/minimal_final_barlines.json",
                       std::ios::binary);
    return standin::ParseRecording(std::string(std::istreambuf_iterator<char>(file), {}),
                                   "minimal.json");
}

// The calls as a module makes them.
std::vector<standin::HostCall> Calls(const standin::Recording &recording) {
    std::vector<standin::HostCall> calls;
    for (const auto &recorded : recording.calls) calls.push_back(recorded.call);
    return calls;
}

constexpr uint32_t kSystems = 0x534F5353;
constexpr uint32_t kVersion = 0x19000000;

// One call of each host function on `host`, and all it answered: results,
// keys, sizes and bytes, in the order they came.
std::vector<int64_t> EveryFunctionOnce(standin::Host &host) {
    std::vector<int64_t> answers;
    const auto keyed = [&answers](int64_t result, const FxDataKey &key) {
        answers.insert(answers.end(), {result, key.item, key.inci});
    };
    uint8_t buffer[28] = {};
    int32_t size = 28;
    FxDataKey key{1, 0};
    keyed(host.LoadEData(kSystems, &key, buffer, &size, kVersion), key);
    answers.push_back(size);
    answers.insert(answers.end(), std::begin(buffer), std::end(buffer));
    buffer[2] = 0x90;
    keyed(host.SaveEData(kSystems, &key, buffer, 28, kVersion), key);
    key = {-1, -1};
    keyed(host.CreateEData(kSystems, &key, buffer, 28, kVersion), key);
    key = {1, 0};
    keyed(host.NextEData(kSystems, &key, nullptr, nullptr, kVersion), key);
    keyed(host.DeleteEData(kSystems, &key, kVersion), key);
    // A context word past any signed 32-bit number, and a negative option.
    answers.push_back(host.SlotToInst(3, 0x80000001u, kVersion));
    answers.push_back(host.UpdateLayout(1, -1, kVersion));
    answers.push_back(host.GetCurrentEnigmaDocument(kVersion));
    answers.push_back(host.GetCurrentPartID(kVersion));
    return answers;
}

standin::Host SmallDocument() {
    standin::Host host;
    host.Records().Put({kSystems, 1, 0}, standin::Bytes(28, 7));
    host.Records().Put({kSystems, 2, 0}, standin::Bytes(28, 9));
    host.Slots()[3] = 5;
    host.SetCurrentPart(0x10002);
    return host;
}

class ScriptedHost : public ::testing::Test {
protected:
    void Make(const std::vector<standin::HostCall> &calls) {
        const standin::TraceReissue module(calls);
        ASSERT_EQ(module.Problem(), "");
        module.Run(host);
    }

    standin::Recording recording = Minimal();
    standin::ScriptedHost host{recording};
};

TEST_F(ScriptedHost, AnswersEveryCallAsRecorded) {
    FxDataKey key{1, 0};
    uint8_t buffer[28] = {};
    int32_t size = 28;
    EXPECT_EQ(host.LoadEData(0x534F5353, &key, buffer, &size, 0x19000000), 1);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 28), recording.calls[0].call.data);
    EXPECT_EQ(host.GetCurrentEnigmaDocument(0x19000000), 1);
    EXPECT_EQ(host.NextEData(0x534F5353, &key, nullptr, nullptr, 0x19000000), 1);
    EXPECT_EQ(key.item, 2);
    const std::vector<standin::HostCall> all = Calls(recording);
    Make({all.begin() + 3, all.end()});
    host.Finish();
    EXPECT_EQ(host.Difference(), "");
    EXPECT_EQ(host.CallsMade(), 24u);
    EXPECT_EQ(host.SavesMade(), 2u);

    // The size is the host's, not the room the module offered.
    recording.calls[0].call.sizeOut = 20;
    standin::ScriptedHost shortRecord(recording);
    key = {1, 0};
    size = 28;
    shortRecord.LoadEData(0x534F5353, &key, buffer, &size, 0x19000000);
    EXPECT_EQ(size, 20);
}

TEST_F(ScriptedHost, NamesTheFirstCallThatDiffersWithTheBytesSideBySide) {
    std::vector<standin::HostCall> calls = Calls(recording);
    calls[22].data[2] = 0x00;
    calls[23].data[3] = 0x77;
    Make(calls);
    host.Finish();
    EXPECT_EQ(host.Difference(),
              "differs at call 23 of 24:\n"
              "  expected: FX_SaveEData 'SOSS' (1,0) length 28 v=0x19000000\n"
              "  got:      FX_SaveEData 'SOSS' (1,0) length 28 v=0x19000000\n"
              "  bytes handed over, expected | got:\n"
              "       0  00 00 90 00 00 00 00 00 | 00 00 00 00 00 00 00 00  <-\n"
              "       8  01 00 00 00 00 00 00 00 | 01 00 00 00 00 00 00 00\n"
              "      16  00 00 00 00 00 00 00 00 | 00 00 00 00 00 00 00 00\n"
              "      24  00 00 00 00             | 00 00 00 00            \n"
              "  fields that differ, expected -> got:\n"
              "    leftIndent: 144 -> 0\n");
    EXPECT_EQ(host.CallsMade(), 24u);
    EXPECT_EQ(host.SavesMade(), 0u);
}

TEST_F(ScriptedHost, AfterADifferenceEveryCallFailsAndChangesNothing) {
    std::vector<standin::HostCall> calls = Calls(recording);
    calls[0].version = 0x12000000;
    Make(calls);
    EXPECT_EQ(host.Difference(),
              "differs at call 1 of 24:\n"
              "  expected: FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000\n"
              "  got:      FX_LoadEData 'SOSS' (1,0) room 28 v=0x12000000\n");
    FxDataKey key{1, 0};
    int32_t size = 28;
    uint8_t buffer[28] = {};
    EXPECT_EQ(host.LoadEData(0x534F5353, &key, buffer, &size, 0x19000000), 0);
    EXPECT_EQ(host.NextEData(0x534F5353, &key, nullptr, nullptr, 0x19000000), 0);
    EXPECT_EQ(key.item, 1);
    EXPECT_EQ(size, 28);
    EXPECT_EQ(host.GetCurrentPartID(0x19000000), 0);
    EXPECT_EQ(host.UpdateLayout(1, 0, 0x19000000), 0);
    EXPECT_EQ(host.SlotToInst(1, 0, 0x19000000), 0);
    EXPECT_EQ(host.CreateEData(0x534F5353, &key, buffer, 28, 0x19000000), 0);
    EXPECT_EQ(host.DeleteEData(0x534F5353, &key, 0x19000000), 0);
}

TEST_F(ScriptedHost, NamesACallNotMadeAndACallTooMany) {
    std::vector<standin::HostCall> calls = Calls(recording);
    calls.pop_back();
    Make(calls);
    host.Finish();
    EXPECT_EQ(host.Difference(),
              "differs at call 24 of 24: the module made only 23 calls\n"
              "  expected: FX_SaveEData 'SOSS' (2,0) length 28 v=0x19000000\n"
              "  got:      no call\n");

    standin::ScriptedHost more(recording);
    standin::TraceReissue(Calls(recording)).Run(more);
    more.GetCurrentPartID(0x19000000);
    EXPECT_EQ(more.Difference(),
              "differs at call 25: the recording holds 24 calls, and the module made more\n"
              "  got:      FX_GetCurrentPartID v=0x19000000\n");
}

TEST_F(ScriptedHost, NamesABufferGivenOrWithheldAndAFunctionTheHostLacked) {
    FxDataKey key{1, 0};
    int32_t size = 28;
    EXPECT_EQ(host.LoadEData(0x534F5353, &key, nullptr, &size, 0x19000000), 0);
    EXPECT_EQ(host.Difference(),
              "differs at call 1 of 24:\n"
              "  expected: FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000\n"
              "  got:      FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000\n"
              "  the module gave no buffer where the recording shows one\n");

    recording.absentFunctions = {"FX_UpdateLayout"};
    standin::ScriptedHost lacking(recording);
    lacking.UpdateLayout(1, 0, 0x19000000);
    EXPECT_EQ(lacking.Difference(),
              "differs at call 1 of 24:\n"
              "  expected: FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000\n"
              "  got:      FX_UpdateLayout 1 0 v=0x19000000\n"
              "  the recorded host lacked FX_UpdateLayout, which this host program has: replay "
              "with one that lacks it too\n");
}

// Every function's arguments made again, and every function's answers
// given again, as the host they were recorded from gave them.
TEST(HostFunctions, AreEachReplayedAndAnsweredAsTheHostMadeAndAnsweredThem) {
    const standin::Host document = SmallDocument();
    standin::Host byCommand = document;
    const std::vector<int64_t> answers = EveryFunctionOnce(byCommand);
    ASSERT_EQ(byCommand.Trace().size(), 9u);
    EXPECT_EQ(standin::ReissueDifference(document, byCommand), "");

    standin::Recording recording;
    for (const standin::HostCall &call : byCommand.Trace()) {
        recording.calls.push_back({call, call.hasSize || call.hasLength});
    }
    standin::ScriptedHost scripted(recording);
    EXPECT_EQ(EveryFunctionOnce(scripted), answers);
    scripted.Finish();
    EXPECT_EQ(scripted.Difference(), "");
    EXPECT_EQ(scripted.SavesMade(), 1u);
}

}  // namespace
