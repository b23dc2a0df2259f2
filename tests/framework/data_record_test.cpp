#include <gtest/gtest.h>

#include "framework/fc_measure.h"
#include "framework/fc_staffsystem.h"
#include "interface/data_tag.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

const uint32_t kSoss = hostdata::kStaffSystemTag;
const uint32_t kTest = hostdata::MakeTag('T', 'E', 'S', 'T');

// A record class that keeps the generic copy into an owned block.
class PlainRecord : public __FCNoInciOther {
public:
    int32_t GetClassID() const override { return 1; }
    void *GetRecordBuffer() override { return record; }
    PlainRecord *CreateObject() const override { return new PlainRecord; }
    uint32_t GetDataTag() const override { return kTest; }
    uint32_t GetRecordSize() const override { return sizeof record; }
    uint8_t record[8] = {};
};

// A record addressed by the whole data key, with its reload from
// __FCBaseData; it wants its buffer reset before every load.
class KeyedRecord : public __FCBaseData {
public:
    int32_t GetClassID() const override { return 2; }
    void *GetRecordBuffer() override { return record; }
    KeyedRecord *CreateObject() const override { return new KeyedRecord; }
    uint32_t GetDataTag() const override { return kSoss; }
    uint32_t GetRecordSize() const override { return sizeof record; }
    bool LoadFirst() override { return false; }
    bool MustResetBeforeLoad() const override {
        ++resetsAsked;
        return true;
    }
    uint8_t record[28] = {};
    mutable int resetsAsked = 0;
};

class DataRecords : public HostTest {
protected:
    DataRecords() {
        for (uint8_t i = 1; i <= 3; ++i) host.Records().Put({kSoss, i, 0}, standin::Bytes(28, i));
        host.SetDocumentId(5);
    }
    FCStaffSystem system;
};

TEST_F(DataRecords, LoadSaveAndReloadGoThroughTheKeyWithInciZero) {
    system.SetDataKey({2, 9});
    EXPECT_FALSE(system.Reload());
    ASSERT_TRUE(system.LoadItem(2));
    system.SetDataKey({2, 9});
    ASSERT_TRUE(system.Reload());
    EXPECT_EQ(system.GetLeftIndent(), 0x0202);
    system.SetLeftIndent(0x1234);
    EXPECT_EQ(system.GetLeftIndent(), 0x1234);
    ASSERT_TRUE(system.Save() && system.SaveAs(3));
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "FX_LoadEData 'SOSS' (2,0) room 28 v=0x19000000 -> 1 size 28",
                           "FX_GetCurrentEnigmaDocument v=0x19000000 -> 5",
                           "FX_LoadEData 'SOSS' (2,0) room 28 v=0x19000000 -> 1 size 28",
                           "FX_GetCurrentEnigmaDocument v=0x19000000 -> 5",
                           "FX_SaveEData 'SOSS' (2,0) length 28 v=0x19000000 -> 1",
                           "FX_SaveEData 'SOSS' (3,0) length 28 v=0x19000000 -> 1"}));
    EXPECT_EQ(system.GetDocumentID(), 5);
    EXPECT_EQ(system.HeldBytes(), system.GetRecordBuffer());
    standin::Bytes expected(28, 2);
    expected[2] = 0x34;
    expected[3] = 0x12;
    EXPECT_EQ(*host.Records().Find({kSoss, 3, 0}), expected);
}

TEST_F(DataRecords, AReloadLoadsTheSameKeyAgain) {
    KeyedRecord keyed;
    EXPECT_FALSE(keyed.Reload());
    EXPECT_TRUE(Calls().empty());
    host.Records().Put({kSoss, 2, 5}, standin::Bytes(28, 0x25));
    keyed.SetDataKey({2, 5});
    ASSERT_TRUE(keyed.Load());
    EXPECT_EQ(keyed.resetsAsked, 0) << "nothing to reset before the first load";
    ASSERT_TRUE(keyed.Reload());
    EXPECT_EQ(keyed.resetsAsked, 1);
    EXPECT_EQ(Calls().back(), "FX_GetCurrentEnigmaDocument v=0x19000000 -> 5");
    EXPECT_EQ(CallsOf("FX_LoadEData").back(),
              "FX_LoadEData 'SOSS' (2,5) room 28 v=0x19000000 -> 1 size 28");
    host.Records().Erase({kSoss, 2, 5});
    EXPECT_FALSE(keyed.Reload());

    ASSERT_TRUE(system.LoadItem(3));
    host.Records().Erase({kSoss, 3, 0});
    EXPECT_FALSE(system.Reload()) << "the host no longer has it";
    EXPECT_EQ(system.GetLoadedSize(), 0u);
}

TEST_F(DataRecords, ARefusedLoadHoldsNothingSoNothingIsWritten) {
    ASSERT_TRUE(system.LoadItem(1));
    host.SetDocumentId(6);
    EXPECT_FALSE(system.LoadItem(9));
    EXPECT_EQ(system.GetDocumentID(), 5);
    host.ClearTrace();
    EXPECT_FALSE(system.Save() || system.Reload() || system.SaveNew());
    EXPECT_EQ(system.GetItemNo(), 9);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(DataRecords, ARecordLargerThanTheRoomIsSavedWhole) {
    host.Records().Put({kSoss, 4, 0}, standin::Bytes(40, 4));
    ASSERT_TRUE(system.LoadItem(4));
    EXPECT_EQ(system.GetLoadedSize(), 40u);
    ASSERT_TRUE(system.Save());
    EXPECT_EQ(Calls().back(), "FX_SaveEData 'SOSS' (4,0) length 40 v=0x19000000 -> 1");
    EXPECT_EQ(*host.Records().Find({kSoss, 4, 0}), standin::Bytes(40, 4));
}

TEST_F(DataRecords, AShortRecordIsSavedAsLongAsItWasLoadedAndNothingStaleIsRead) {
    host.Records().Put({kSoss, 2, 0}, standin::Bytes(6, 0x22));
    FCStaffSystems systems;
    ASSERT_EQ(systems.LoadAll(), 3);
    const auto *shortSystem = systems.GetItemAt(1);
    EXPECT_EQ(shortSystem->GetLoadedSize(), 6u);
    EXPECT_EQ(shortSystem->GetFirstMeasure(), 0);  // not system 1's bytes
    EXPECT_FALSE(shortSystem->HoldsFirstMeasure());
    EXPECT_TRUE(systems.GetItemAt(2)->HoldsFirstMeasure());
    host.ClearTrace();
    ASSERT_TRUE(systems.SaveAll());
    EXPECT_EQ(Calls()[1], "FX_SaveEData 'SOSS' (2,0) length 6 v=0x19000000 -> 1");
    EXPECT_EQ(*host.Records().Find({kSoss, 2, 0}), standin::Bytes(6, 0x22));
}

// A record of no bytes holds nothing, but the host has more after it: the
// walk passes over it. A record the host refuses ends the walk.
TEST_F(DataRecords, TheWalkPassesOverEmptyRecordsAndEndsAtARefusedOne) {
    host.Records().Put({kSoss, 1, 0}, {});
    host.Records().Put({kSoss, 3, 0}, {});
    host.Records().Put({kSoss, 4, 0}, standin::Bytes(28, 4));
    host.Records().Put({kSoss, 5, 0}, standin::Bytes(28, 5));
    FCStaffSystems systems;
    ASSERT_EQ(systems.LoadAll(), 3);
    EXPECT_EQ(systems.GetItemAt(0)->GetItemNo(), 2);
    EXPECT_EQ(systems.GetItemAt(1)->GetItemNo(), 4);
    EXPECT_EQ(systems.GetItemAt(2)->HeldBytes()[0], 5);
    host.ClearTrace();
    ASSERT_TRUE(systems.SaveAll());
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 3u);

    host.FailCallsWhere([](const standin::HostCall &call) {
        return call.function == "FX_LoadEData" && call.itemIn == 4;
    });
    EXPECT_EQ(systems.LoadAll(), 1);
    host.Records().Put({kSoss, 2, 0}, {});
    EXPECT_EQ(systems.LoadAll(), 0);
    host.Records().Put({kSoss, 1, 0}, standin::Bytes(28, 1));
    host.FailCallsWhere([](const standin::HostCall &call) { return call.itemIn == 1; });
    EXPECT_EQ(systems.LoadAll(), 0) << "a first record the host refuses ends the walk";
}

TEST_F(DataRecords, LoadNextVisitsEveryRecordThenKeepsTheLast) {
    ASSERT_TRUE(system.LoadFirst() && system.LoadNext() && system.LoadNext());
    EXPECT_FALSE(system.LoadNext());
    EXPECT_EQ(Calls().front(), "FX_LoadEData 'SOSS' (1,0) room 28 v=0x19000000 -> 1 size 28");
    EXPECT_EQ(Calls().back(), "FX_NextEData 'SOSS' (3,0) v=0x19000000 -> 0");
    EXPECT_EQ(system.GetLoadedSize(), 28u);
    EXPECT_EQ(system.HeldBytes()[0], 3);
}

TEST_F(DataRecords, SaveNewTakesTheKeyTheHostAssignsAndDeleteRemovesIt) {
    ASSERT_TRUE(system.LoadItem(1) && system.SaveNew());
    EXPECT_EQ(Calls().back(), "FX_CreateEData 'SOSS' (-1,-1)->(4,0) length 28 v=0x19000000 -> 1");
    ASSERT_TRUE(system.Delete());
    EXPECT_EQ(Calls().back(), "FX_DeleteEData 'SOSS' (4,0) v=0x19000000 -> 1");
    EXPECT_EQ(host.Records().Find({kSoss, 4, 0}), nullptr);
}

TEST_F(DataRecords, AStaffSystemCopiesTheRecordWhetherOrNotTheOtherHeldOne) {
    ASSERT_TRUE(system.LoadItem(2));
    FCStaffSystem never;
    system.CopyDataFrom(never);
    EXPECT_EQ(system.GetItemNo(), 2);
    ASSERT_TRUE(system.Save());
    EXPECT_EQ(*host.Records().Find({kSoss, 2, 0}), standin::Bytes(28, 0));
}

TEST_F(DataRecords, TheGenericCopyOwnsItsBlockUntilTheNextLoad) {
    host.Records().Put({kTest, 1, 0}, standin::Bytes(6, 0xAB));
    PlainRecord source, copy;
    copy.CopyDataFrom(source);
    EXPECT_EQ(copy.HeldBytes(), nullptr);
    ASSERT_TRUE(source.LoadItem(1));
    copy.CopyDataFrom(source);
    EXPECT_TRUE(copy.IsBufferOwned());
    EXPECT_EQ(standin::Bytes(copy.HeldBytes(), copy.HeldBytes() + copy.GetLoadedSize()),
              standin::Bytes(6, 0xAB));
    ASSERT_TRUE(copy.Save());
    EXPECT_EQ(Calls().back(), "FX_SaveEData 'TEST' (0,0) length 6 v=0x19000000 -> 1")
        << "no more than the copy holds";
    // The host is offered the full record size, which the smaller copy lacks.
    ASSERT_TRUE(copy.LoadItem(1));
    EXPECT_EQ(copy.HeldBytes(), copy.record);
    EXPECT_FALSE(copy.IsBufferOwned());
}

TEST_F(DataRecords, ClassesAreTheSameByTheirNameText) {
    FCStaffSystem other;
    FCMeasure measure;
    EXPECT_FALSE(system.IsSameClass(nullptr));
    EXPECT_TRUE(system.IsSameClass(&other));
    EXPECT_FALSE(system.IsSameClass(&measure));
}

}  // namespace
