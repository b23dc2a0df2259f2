// The misbehaving host: each answer it may be told to give, as a module
// sees it and as the trace shows it.
#include "standin/validator/misbehaving_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/platform/errors.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::validator::MisbehavingHost;

constexpr uint32_t kSystem = hostdata::kStaffSystemTag;
constexpr uint32_t kVersion = 0x19000000;
constexpr int16_t kSystems = 5;

// Five staff systems, each of 28 bytes of its own number, at measures 1, 5,
// 9, ...: laid out, or waiting for the layout to give them those.
int16_t FirstMeasureOf(int16_t item) { return static_cast<int16_t>(4 * item - 3); }

Bytes SystemRecord(int16_t item, bool laidOut = true) {
    Bytes record(Host::kStaffSystemSize, static_cast<uint8_t>(item));
    hostdata::WriteU16(record.data(), Host::kFirstMeasureOffset,
                       static_cast<uint16_t>(laidOut ? FirstMeasureOf(item) : 0));
    return record;
}

Host Systems(bool laidOut = true) {
    Host host;
    for (int16_t item = 1; item <= kSystems; ++item) {
        host.Records().Put({kSystem, item, 0}, SystemRecord(item, laidOut));
        if (!laidOut) host.Layout()[item] = FirstMeasureOf(item);
    }
    return host;
}

int16_t FirstMeasure(const Host &host, int16_t item) {
    const Bytes *record = host.Records().Find({kSystem, item, 0});
    return record ? hostdata::ReadI16(record->data(), Host::kFirstMeasureOffset) : -1;
}

// The keys a walk from system 1 stands on, step by step, while the host
// answers success; 0 where it answered failure.
std::vector<int> Walk(MisbehavingHost &host, int steps) {
    FxDataKey key{1, 0};
    std::vector<int> items;
    for (int step = 0; step < steps; ++step) {
        items.push_back(host.NextEData(kSystem, &key, nullptr, nullptr, kVersion) != 0 ? key.item
                                                                                       : 0);
    }
    return items;
}

struct WalkCase {
    const char *answer;
    std::vector<int> items;
};

class Nexts : public ::testing::TestWithParam<WalkCase> {};

TEST_P(Nexts, SendTheWalkWhereTheirNameSays) {
    MisbehavingHost host(Systems());
    host.AnswerNexts(GetParam().answer);
    EXPECT_EQ(Walk(host, 7), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(Answers, Nexts,
                         ::testing::Values(WalkCase{"stays", {1, 1, 1, 1, 1, 1, 1}},
                                           WalkCase{"goes-back", {2, 1, 2, 1, 2, 1, 2}},
                                           WalkCase{"cycles", {2, 3, 1, 2, 3, 1, 2}},
                                           WalkCase{"jumps-to-the-last", {5, 0, 0, 0, 0, 0, 0}},
                                           WalkCase{"jumps-to-no-record",
                                                    {0x7FFF, 0, 0, 0, 0, 0, 0}},
                                           WalkCase{"fails-midway", {2, 0, 3, 4, 5, 0, 0}}),
                         [](const auto &info) {
                             std::string name;
                             for (const char c : std::string(info.param.answer)) {
                                 if (c != '-') name += c;
                             }
                             return name;
                         });

TEST(Nexts, CountTheirStepsFromEachCommandsBeginning) {
    MisbehavingHost host(Systems());
    host.AnswerNexts("fails-midway");
    host.BeginCommand();
    Walk(host, 3);
    host.BeginCommand();
    EXPECT_EQ(Walk(host, 3), (std::vector<int>{2, 0, 3}));
}

TEST(Nexts, AreTracedWhereTheyLeftTheKey) {
    MisbehavingHost host(Systems());
    host.AnswerNexts("goes-back");
    Walk(host, 2);
    ASSERT_EQ(host.Trace().size(), 2u);
    EXPECT_EQ(host.Trace()[1].ToString(), "FX_NextEData 'SOSS' (2,0)->(1,0) v=0x19000000 -> 1");
}

// A load of `item` into a room of 28 bytes of 0xAA: what the buffer then
// holds, the size reported and the key left.
struct Loaded {
    Bytes buffer;
    int32_t size;
    FxDataKey key;
    int16_t result;
};

Loaded Load(MisbehavingHost &host, int16_t item) {
    Loaded loaded{Bytes(28, 0xAA), 28, {item, 0}, 0};
    loaded.result =
        host.LoadEData(kSystem, &loaded.key, loaded.buffer.data(), &loaded.size, kVersion);
    return loaded;
}

TEST(Loads, ThatCopyHalfDoSoForEveryOtherRecordAndReportItsWholeSize) {
    MisbehavingHost host(Systems());
    host.AnswerLoads("copies-half");
    const Loaded first = Load(host, 1);
    EXPECT_EQ(first.buffer, SystemRecord(1));
    const Loaded second = Load(host, 2);
    Bytes expected = SystemRecord(2);
    std::fill(expected.begin() + 14, expected.end(), 0xAA);
    EXPECT_EQ(second.buffer, expected);
    EXPECT_EQ(second.size, 28);
    expected.resize(14);
    EXPECT_EQ(host.Trace().back().data, expected) << "the trace shows what was copied";
    EXPECT_EQ(host.Trace().back().sizeOut, 28);
}

TEST(Loads, ThatLeaveTheBufferWriteNothingAndReportTheSize) {
    MisbehavingHost host(Systems());
    host.AnswerLoads("leaves-the-buffer");
    const Loaded loaded = Load(host, 4);
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.buffer, Bytes(28, 0xAA));
    EXPECT_EQ(loaded.size, 28);
    EXPECT_TRUE(host.Trace().back().data.empty());
}

TEST(Loads, MoveTheKeyOnOrAwayAndTheTraceShowsIt) {
    MisbehavingHost on(Systems());
    on.AnswerLoads("moves-the-key-on");
    const Loaded moved = Load(on, 1);
    EXPECT_EQ(moved.buffer, SystemRecord(1)) << "the record asked for is what is loaded";
    EXPECT_EQ(moved.key.item, 2);
    EXPECT_EQ(on.Trace().back().ToString(),
              "FX_LoadEData 'SOSS' (1,0)->(2,0) room 28 v=0x19000000 -> 1 size 28");
    MisbehavingHost away(Systems());
    away.AnswerLoads("moves-the-key-away");
    const Loaded gone = Load(away, 3);
    EXPECT_EQ(gone.key.item, 0x7FFF);
    EXPECT_EQ(gone.key.inci, 0x7FFF);
}

TEST(Loads, OfARecordThatIsNotThereStillFail) {
    MisbehavingHost host(Systems());
    host.AnswerLoads("moves-the-key-on");
    const Loaded missing = Load(host, 9);
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.key.item, 9);
}

int16_t Save(MisbehavingHost &host, FxDataKey &key, uint8_t fill) {
    const Bytes bytes(28, fill);
    return host.SaveEData(kSystem, &key, bytes.data(), 28, kVersion);
}

TEST(Saves, ThatFailStoreNothing) {
    MisbehavingHost host(Systems());
    host.AnswerSaves("fails");
    FxDataKey key{2, 0};
    EXPECT_EQ(Save(host, key, 0x77), 0);
    EXPECT_EQ(*host.Records().Find({kSystem, 2, 0}), SystemRecord(2));
    EXPECT_EQ(host.Trace().back().data, Bytes(28, 0x77)) << "what the module handed over";
}

TEST(Saves, ThatMoveTheKeyStoreUnderTheKeyAsked) {
    MisbehavingHost host(Systems());
    host.AnswerSaves("moves-the-key-on");
    FxDataKey key{2, 0};
    EXPECT_EQ(Save(host, key, 0x77), 1);
    EXPECT_EQ(*host.Records().Find({kSystem, 2, 0}), Bytes(28, 0x77));
    EXPECT_EQ(*host.Records().Find({kSystem, 3, 0}), SystemRecord(3));
    EXPECT_EQ(key.item, 3);
    EXPECT_EQ(host.Trace().back().ToString(),
              "FX_SaveEData 'SOSS' (2,0)->(3,0) length 28 v=0x19000000 -> 1");
    EXPECT_TRUE(host.Trace().back().replaced);
}

// The first measures of the five systems, and of a sixth, after a layout
// update answered as named; -1 where there is no system.
std::vector<int> AfterTheLayout(const std::string &answer) {
    MisbehavingHost host(Systems(false));
    host.AnswerLayoutUpdates(answer);
    EXPECT_EQ(host.UpdateLayout(1, 0, kVersion), 1);
    std::vector<int> firstMeasures;
    for (int16_t item = 1; item <= kSystems + 1; ++item) {
        firstMeasures.push_back(FirstMeasure(host, item));
    }
    return firstMeasures;
}

TEST(LayoutUpdates, DoLessMoreOrOtherThanAsked) {
    EXPECT_EQ(AfterTheLayout("changes-nothing"), (std::vector<int>{0, 0, 0, 0, 0, -1}));
    EXPECT_EQ(AfterTheLayout("lays-out-others"), (std::vector<int>{0, 5, 9, 13, 17, -1}));
    EXPECT_EQ(AfterTheLayout("moves-systems"), (std::vector<int>{2, 6, 10, 14, 18, -1}));
    EXPECT_EQ(AfterTheLayout("adds-a-system"), (std::vector<int>{1, 5, 9, 13, 17, 18}));
    EXPECT_EQ(AfterTheLayout("removes-a-system"), (std::vector<int>{1, 5, 9, 13, -1, -1}));
}

TEST(LayoutUpdates, LeaveTheHostsOwnLayoutForTheNext) {
    MisbehavingHost host(Systems(false));
    host.AnswerLayoutUpdates("lays-out-others");
    host.UpdateLayout(1, 0, kVersion);
    EXPECT_EQ(host.Layout().size(), 5u);
}

TEST(CurrentDocuments, AreAnyNumberOrAnotherEachTime) {
    MisbehavingHost fixed(Systems());
    fixed.AnswerCurrentDocument("-32768");
    EXPECT_EQ(fixed.GetCurrentEnigmaDocument(kVersion), -32768);
    EXPECT_EQ(fixed.GetCurrentEnigmaDocument(kVersion), -32768);
    MisbehavingHost changing(Systems());
    changing.AnswerCurrentDocument("changes");
    const int16_t first = changing.GetCurrentEnigmaDocument(kVersion);
    EXPECT_NE(changing.GetCurrentEnigmaDocument(kVersion), first);
}

TEST(Answers, OfUnknownNamesAreRefused) {
    MisbehavingHost host(Systems());
    EXPECT_THROW(host.AnswerNexts("wanders"), standin::UsageError);
    EXPECT_THROW(host.AnswerLoads("copies-none"), standin::UsageError);
    EXPECT_THROW(host.AnswerSaves("moves-the-key-away"), standin::UsageError);
    EXPECT_THROW(host.AnswerLayoutUpdates("adds-two"), standin::UsageError);
    EXPECT_THROW(host.AnswerCurrentDocument("1"), standin::UsageError);
}

}  // namespace
