// Records the host reports longer than the room an object offers: held and
// saved whole when the host holds them, never cut short, never saved with
// bytes the host did not write.
#include <gtest/gtest.h>

#include "framework/fc_staffsystem.h"
#include "hostdata/whole_record.h"
#include "interface/data_tag.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

const uint32_t kSoss = hostdata::kStaffSystemTag;
const uint32_t kTest = hostdata::MakeTag('T', 'E', 'S', 'T');

// A record class with 8 bytes of storage that keeps the generic copy.
class PlainRecord : public __FCNoInciOther {
public:
    int32_t GetClassID() const override { return 1; }
    void *GetRecordBuffer() override { return record; }
    PlainRecord *CreateObject() const override { return new PlainRecord; }
    uint32_t GetDataTag() const override { return kTest; }
    uint32_t GetRecordSize() const override { return sizeof record; }
    uint8_t record[8] = {};
};

standin::Bytes Counting(std::size_t size, uint8_t from) {
    standin::Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(from + i);
    return bytes;
}

class LongRecords : public HostTest {
protected:
    LongRecords() {
        for (uint8_t i = 1; i <= 3; ++i) host.Records().Put({kSoss, i, 0}, Counting(28, i * 32));
    }
    const standin::Bytes &Stored(int16_t item) const {
        return *host.Records().Find({kSoss, item, 0});
    }
};

TEST_F(LongRecords, ALongerRecordTheHostHoldsIsSavedWholeWithOnlyTheIndentChanged) {
    const standin::Bytes record = Counting(40, 100);
    host.Records().Put({kSoss, 2, 0}, record);
    FCStaffSystems systems;
    ASSERT_EQ(systems.LoadAll(), 3);
    FCStaffSystem *system = systems.GetItemAt(1);
    EXPECT_EQ(system->GetLoadedSize(), 40u) << "the copy keeps the whole record";
    EXPECT_TRUE(system->IsSaveable());
    EXPECT_EQ(
        CallsOf("FX_LoadEData 'SOSS' (2,0)"),
        (std::vector<std::string>{"FX_LoadEData 'SOSS' (2,0) room 28 v=0x19000000 -> 1 size 40",
                                  "FX_LoadEData 'SOSS' (2,0) room 40 v=0x19000000 -> 1 size 40",
                                  "FX_LoadEData 'SOSS' (2,0) room 40 v=0x19000000 -> 1 size 40"}));
    system->SetLeftIndent(0x0102);
    host.ClearTrace();
    ASSERT_TRUE(systems.SaveAll());
    EXPECT_EQ(Calls()[1], "FX_SaveEData 'SOSS' (2,0) length 40 v=0x19000000 -> 1");
    standin::Bytes expected = record;
    expected[2] = 0x02;
    expected[3] = 0x01;
    EXPECT_EQ(Stored(2), expected);
    EXPECT_EQ(Stored(3), Counting(28, 96)) << "the next system takes nothing of the long one";
}

// A host that reports 40 bytes for a record it holds 28 of: the bytes past
// the 28th are what the buffer held, so they cannot be told.
TEST_F(LongRecords, ARecordTheHostReportsLongerThanItHoldsIsReadButNeverSaved) {
    host.BendLoadSizes([](int32_t, int32_t *size) { *size = 40; });
    FCStaffSystems systems;
    ASSERT_EQ(systems.LoadAll(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        const FCStaffSystem *system = systems.GetItemAt(i);
        EXPECT_FALSE(system->IsSaveable());
        EXPECT_EQ(system->GetLoadedSize(), 28u);
        EXPECT_EQ(standin::Bytes(system->HeldBytes(), system->HeldBytes() + 28),
                  Counting(28, static_cast<uint8_t>(32 * i + 32)));
    }
    host.ClearTrace();
    EXPECT_FALSE(systems.SaveAll());
    EXPECT_TRUE(CallsOf("FX_SaveEData").empty());
}

// A host that reports more bytes than it copies: what it did not write is
// no earlier record's, and counts as held only when the room covers it.
TEST_F(LongRecords, BytesTheHostDidNotWriteAreNoOtherRecords) {
    host.Records().Put({kSoss, 2, 0}, Counting(10, 200));
    host.BendLoadSizes([](int32_t room, int32_t *size) { *size = room; });
    FCStaffSystems systems;
    ASSERT_EQ(systems.LoadAll(), 3);
    const FCStaffSystem *system = systems.GetItemAt(1);
    EXPECT_EQ(standin::Bytes(system->HeldBytes(), system->HeldBytes() + 28), [] {
        standin::Bytes bytes = Counting(10, 200);
        bytes.resize(28, 0);
        return bytes;
    }());

    host.BendLoadSizes([](int32_t, int32_t *size) { *size = 40; });
    ASSERT_EQ(systems.LoadAll(), 3);
    system = systems.GetItemAt(1);
    EXPECT_EQ(system->GetLoadedSize(), 10u) << "only what both loads wrote alike is held";
    EXPECT_EQ(standin::Bytes(system->HeldBytes() + 10, system->HeldBytes() + 28),
              standin::Bytes(18, 0));
    EXPECT_FALSE(system->IsSaveable());
}

TEST_F(LongRecords, ARecordLongerThanTheBoundIsNeverAskedAgainNorSaved) {
    host.Records().Put({kSoss, 1, 0}, standin::Bytes(hostdata::kLongestWholeRecord + 1, 7));
    host.Records().Put({kSoss, 2, 0}, standin::Bytes(hostdata::kLongestWholeRecord, 8));
    FCStaffSystem system;
    ASSERT_TRUE(system.LoadItem(1));
    EXPECT_EQ(Calls().size(), 2u) << "one load and the current document";
    EXPECT_EQ(system.GetLoadedSize(), 28u);
    EXPECT_EQ(system.GetLeftIndent(), 0x0707);
    EXPECT_FALSE(system.Save());
    ASSERT_TRUE(system.LoadItem(2));
    EXPECT_TRUE(system.IsSaveable()) << "a new load forgets the last";
    EXPECT_EQ(system.GetLoadedSize(), uint64_t{hostdata::kLongestWholeRecord});
    host.ClearTrace();
    ASSERT_TRUE(system.Save());
    EXPECT_EQ(Stored(2), standin::Bytes(hostdata::kLongestWholeRecord, 8));
}

TEST_F(LongRecords, AReloadTheHostRefusesOrAnswersOtherwiseLeavesTheRecordUnsaved) {
    host.Records().Put({kSoss, 1, 0}, Counting(40, 1));
    int loads = 0;
    host.FailCallsWhere([&loads](const standin::HostCall &call) {
        return call.function == "FX_LoadEData" && ++loads == 3;
    });
    FCStaffSystem system;
    EXPECT_FALSE(system.LoadItem(1)) << "no byte was written alike twice: the record holds none";
    EXPECT_FALSE(system.Save());

    host.FailCallsWhere(nullptr);
    host.BendLoadSizes([](int32_t room, int32_t *size) { *size = room == 28 ? 40 : 44; });
    ASSERT_TRUE(system.LoadItem(1));
    EXPECT_FALSE(system.IsSaveable()) << "a reload that reports another size";
}

TEST_F(LongRecords, CopiesKeepTheWholeRecordOrThatItCannotBeSaved) {
    host.Records().Put({kSoss, 1, 0}, Counting(40, 1));
    FCStaffSystem source, copy;
    ASSERT_TRUE(source.LoadItem(1));
    copy.SetDataKey(source.GetDataKey());
    copy.CopyDataFrom(source);
    ASSERT_TRUE(copy.Save());
    EXPECT_EQ(Calls().back(), "FX_SaveEData 'SOSS' (1,0) length 40 v=0x19000000 -> 1");

    host.Records().Put({kTest, 1, 0}, Counting(12, 1));
    PlainRecord plain, plainCopy;
    ASSERT_TRUE(plain.LoadItem(1));
    plainCopy.CopyDataFrom(plain);
    ASSERT_TRUE(plainCopy.Save());
    EXPECT_EQ(Calls().back(), "FX_SaveEData 'TEST' (0,0) length 12 v=0x19000000 -> 1");
    EXPECT_EQ(*host.Records().Find({kTest, 0, 0}), Counting(12, 1));

    host.Records().Put({kTest, 2, 0}, Counting(12, 1));
    host.BendLoadSizes([](int32_t, int32_t *size) { *size = 40; });
    ASSERT_TRUE(source.LoadItem(2));
    copy.CopyDataFrom(source);
    EXPECT_FALSE(copy.Save());
    ASSERT_TRUE(plain.LoadItem(2));
    plainCopy.CopyDataFrom(plain);
    EXPECT_FALSE(plainCopy.Save());
}

}  // namespace
