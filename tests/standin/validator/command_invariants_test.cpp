// The rules a command's host calls must keep, on calls made to a real
// stand-in host: a save or delete only of what was loaded under that key,
// no save longer than what the host gave, and no other record's bytes
// where the host wrote none.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "interface/data_tag.h"
#include "standin/host/host.h"
#include "standin/validator/command_invariants.h"
#include "standin/validator/misbehaving_host.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::validator::BrokenRules;

constexpr uint32_t kSystem = hostdata::kStaffSystemTag;
constexpr uint32_t kVersion = 0x19000000;

// What a command does with the host: the calls, in order.
struct Session {
    Host host;
    Session() {
        host.Records().Put({kSystem, 1, 0}, Bytes(28, 1));
        host.Records().Put({kSystem, 2, 0}, Bytes(28, 2));
        host.Records().Put({kSystem, 3, 0}, Bytes(20, 3));
    }
    void Load(int16_t item, int32_t room = 28, int16_t inci = 0) {
        FxDataKey key{item, inci};
        std::vector<uint8_t> buffer(static_cast<std::size_t>(room > 0 ? room : 0));
        host.LoadEData(kSystem, &key, buffer.data(), &room, kVersion);
    }
    void Save(int16_t item, int32_t length = 28, int16_t inci = 0, uint32_t tag = kSystem,
              uint32_t version = kVersion) {
        FxDataKey key{item, inci};
        const std::vector<uint8_t> bytes(64, 7);
        host.SaveEData(tag, &key, bytes.data(), length, version);
    }
    // The key the host chose.
    int16_t Create() {
        FxDataKey key{-1, -1};
        const std::vector<uint8_t> bytes(28, 5);
        host.CreateEData(kSystem, &key, bytes.data(), 28, kVersion);
        return static_cast<int16_t>(key.item);
    }
    void Delete(int16_t item) {
        FxDataKey key{item, 0};
        host.DeleteEData(kSystem, &key, kVersion);
    }
};

struct Commands {
    const char *name;
    std::function<void(Session &)> calls;
    uint32_t answer;
    std::vector<std::string> broken;
};

const Commands kCommands[] = {
    {"LoadThenSave",
     [](Session &s) {
         s.Load(1);
         s.Save(1);
     },
     1,
     {}},
    {"LoadThenDelete",
     [](Session &s) {
         s.Load(2);
         s.Delete(2);
     },
     1,
     {}},
    {"SavesWhatItNeverLoaded",
     [](Session &s) {
         s.Load(1);
         s.Save(2);
     },
     1,
     {"saved 'SOSS' (2,0), which it had not loaded"}},
    {"SavesAfterALoadThatFoundNothing",
     [](Session &s) {
         s.Load(9);
         s.Save(9);
     },
     1,
     {"saved 'SOSS' (9,0), which it had not loaded"}},
    {"SavesUnderAnotherInci",
     [](Session &s) {
         s.Load(1);
         s.Save(1, 28, 1);
     },
     1,
     {"saved 'SOSS' (1,1), which it had not loaded"}},
    {"SavesAnotherTagUnderTheKey",
     [](Session &s) {
         s.Load(1);
         s.Save(1, 12, 0, hostdata::OtherTag('1', '7'));
     },
     1,
     {"saved 'ot17' (1,0), which it had not loaded"}},
    {"DeletesWhatItNeverLoaded",
     [](Session &s) { s.Delete(2); },
     1,
     {"deleted 'SOSS' (2,0), which it had not loaded"}},
    {"SavesAShortRecordAtFullLength",
     [](Session &s) {
         s.Load(3);
         s.Save(3, 28);
     },
     1,
     {"saved 28 bytes of 'SOSS' (3,0), of which the host had given it 20"}},
    {"SavesAShortRecordAsLoaded",
     [](Session &s) {
         s.Load(3);
         s.Save(3, 20);
     },
     1,
     {}},
    {"SavesMoreThanTheRoomItOffered",
     [](Session &s) {
         s.Load(1, 16);
         s.Save(1, 28);
     },
     1,
     {"saved 28 bytes of 'SOSS' (1,0), of which the host had given it 16"}},
    {"SavesLessThanItLoaded",
     [](Session &s) {
         s.Load(1);
         s.Save(1, 20);
     },
     1,
     {"saved only 20 bytes of 'SOSS' (1,0), of which the host had given it 28: the rest of the "
      "user's record is lost"}},
    {"SavesWhatFitTheRoomOfALongerRecord",
     [](Session &s) {
         s.Load(1, 16);
         s.Save(1, 16);
     },
     1,
     {"saved only 16 bytes of 'SOSS' (1,0), of which the host had given it 28: the rest of the "
      "user's record is lost"}},
    {"SavesALongerRecordWholeAfterLoadingItAgain",
     [](Session &s) {
         s.Load(1, 16);
         s.Load(1, 28);
         s.Save(1, 28);
     },
     1,
     {}},
    {"SavesNothingOfWhatItLoaded",
     [](Session &s) {
         s.Load(3);
         s.Save(3, 0);
     },
     1,
     {"saved only 0 bytes of 'SOSS' (3,0), of which the host had given it 20: the rest of the "
      "user's record is lost"}},
    {"SavesWithANegativeLength",
     [](Session &s) {
         s.Load(1);
         s.Save(1, -1);
     },
     1,
     {"saved 'SOSS' (1,0) with a length of -1"}},
    {"SavesInAnotherVersionThanItLoaded",
     [](Session &s) {
         s.Load(1);
         s.Save(1, 28, 0, kSystem, 0x0A000000);
     },
     1,
     {"saved 'SOSS' (1,0) with the version word 0x0A000000, having loaded it with 0x19000000: "
      "the host takes the bytes in the other version's layout"}},
    {"CreatesARecordAndLeavesIt",
     [](Session &s) {
         s.Load(1);
         s.Save(1);
         s.Save(s.Create());
     },
     1,
     {"created 'SOSS' (4,0) and left it in the document: a record the user never made"}},
    {"CreatesAScratchRecordAndDeletesIt",
     [](Session &s) {
         const int16_t scratch = s.Create();
         s.Save(scratch);
         s.Delete(scratch);
     },
     1,
     {}},
    {"AnswersZero", [](Session &) {}, 0, {"FinaleExtensionInvoke answered 0, not 1"}},
    {"BreaksTwoRulesAndSaysBoth",
     [](Session &s) {
         s.Save(1);
         s.Delete(2);
     },
     2,
     {"FinaleExtensionInvoke answered 2, not 1", "saved 'SOSS' (1,0), which it had not loaded",
      "deleted 'SOSS' (2,0), which it had not loaded"}},
};

class CommandInvariants : public ::testing::TestWithParam<Commands> {};

TEST_P(CommandInvariants, NameEveryRuleBroken) {
    Session session;
    GetParam().calls(session);
    EXPECT_EQ(BrokenRules(session.host.Trace(), GetParam().answer), GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(Calls, CommandInvariants, ::testing::ValuesIn(kCommands),
                         [](const auto &info) { return std::string(info.param.name); });

// A host that misreports sizes: a module that believes the host's word, up
// to the room it offered, makes nothing up and cuts nothing short; beyond
// the room, or short of both what was copied and what was said, it does.
struct Report {
    const char *name;
    int32_t reported;
    int32_t saved;
    bool allowed;
};

const Report kReports[] = {
    {"LargerThanCopiedWithinTheRoom", 28, 28, true},
    {"ZeroWhileItCopiedTwenty", 0, 20, true},
    {"NegativeWhileItCopiedTwenty", -1, 20, true},
    {"BeyondTheRoom", 4096, 29, false},
    {"ZeroAndASaveLongerThanCopied", 0, 21, false},
    {"SmallerThanCopiedAndASaveOfThat", 12, 12, true},
    {"SmallerThanCopiedAndASaveShorterStill", 12, 11, false},
    {"LargerThanCopiedAndASaveShorterThanCopied", 28, 19, false},
};

class MisreportedSizes : public ::testing::TestWithParam<Report> {};

TEST_P(MisreportedSizes, BoundTheSaveByWhatWasCopiedAndWhatWasSaid) {
    Session session;
    const int32_t reported = GetParam().reported;
    session.host.BendLoadSizes([reported](int32_t, int32_t *size) { *size = reported; });
    session.Load(3);
    session.Save(3, GetParam().saved);
    EXPECT_EQ(BrokenRules(session.host.Trace(), 1).empty(), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MisreportedSizes, ::testing::ValuesIn(kReports),
                         [](const auto &info) { return std::string(info.param.name); });

// A module with one room for every staff system, on a host that copies only
// half of every other record (2, 4, ...) and reports the whole: what the
// host did not write is what the room held before.
struct OneRoom {
    standin::validator::MisbehavingHost host{Host{}};
    std::vector<uint8_t> room = std::vector<uint8_t>(28, 0);
    explicit OneRoom(const std::string &loads) {
        for (int16_t item = 1; item <= 3; ++item) {
            Bytes record(28);
            for (std::size_t i = 0; i < record.size(); ++i) {
                record[i] = static_cast<uint8_t>(item * 16 + i);
            }
            host.Records().Put({kSystem, item, 0}, record);
        }
        host.AnswerLoads(loads);
    }
    void Load(int16_t item) {
        FxDataKey key{item, 0};
        int32_t size = 28;
        host.LoadEData(kSystem, &key, room.data(), &size, kVersion);
    }
    void Save(int16_t item) {
        FxDataKey key{item, 0};
        host.SaveEData(kSystem, &key, room.data(), 28, kVersion);
    }
    void Clear() { std::fill(room.begin(), room.end(), 0); }
};

TEST(OtherRecordsBytes, KeptInTheRoomFromTheLoadBeforeAreNamed) {
    OneRoom module("copies-half");
    module.Load(1);
    module.Save(1);
    module.Load(2);
    module.Save(2);
    EXPECT_EQ(BrokenRules(module.host.Trace(), 1),
              std::vector<std::string>{
                  "saved bytes 14-27 of 'SOSS' (2,0), which the host had not written when it "
                  "loaded it, as 'SOSS' (1,0) held them: another record's bytes over the user's"});
}

TEST(OtherRecordsBytes, AsTheModuleSavedThemAreNamedToo) {
    OneRoom module("leaves-the-buffer");
    module.Load(1);
    module.room[2] = 72;
    module.Save(1);
    module.Load(2);
    module.Save(2);
    EXPECT_EQ(BrokenRules(module.host.Trace(), 1),
              std::vector<std::string>{
                  "saved bytes 0-27 of 'SOSS' (2,0), which the host had not written when it "
                  "loaded it, as 'SOSS' (1,0) held them: another record's bytes over the user's"});
}

TEST(OtherRecordsBytes, AreNoneInARoomClearedBeforeTheLoad) {
    OneRoom module("copies-half");
    Bytes &first = *module.host.Records().Find({kSystem, 1, 0});
    std::fill(first.begin() + 14, first.end(), 0);
    module.Load(1);
    module.Save(1);
    module.Clear();
    module.Load(2);
    module.Save(2);
    EXPECT_EQ(BrokenRules(module.host.Trace(), 1), std::vector<std::string>{});
}

TEST(OtherRecordsBytes, AreNoneWhereTheRoomHeldTheSameRecordBefore) {
    OneRoom module("copies-half");
    module.Load(1);
    module.Load(2);
    std::fill(module.room.begin() + 14, module.room.end(), 0x5A);
    module.Save(2);
    module.Load(2);
    module.Save(2);
    EXPECT_EQ(BrokenRules(module.host.Trace(), 1), std::vector<std::string>{});
}

}  // namespace
