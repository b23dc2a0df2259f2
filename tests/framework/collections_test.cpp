#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "framework/fc_measure.h"
#include "framework/fc_staffsystem.h"
#include "interface/data_tag.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

const uint32_t kSoss = hostdata::kStaffSystemTag;

// Goes on until the stop-th visit, noting each element (and index) seen.
class RecordingVisitor : public FCElementVisitor {
public:
    explicit RecordingVisitor(int stop) : stop(stop) {}
    bool Visit(__FCBase *element) override { return Note(element, -1); }
    bool VisitIndexed(__FCBase *element, int32_t index) override { return Note(element, index); }
    bool Matches(__FCBase *element) override { return !Note(element, -1); }

    int stop;
    std::vector<std::pair<__FCBase *, int32_t>> seen;

private:
    bool Note(__FCBase *element, int32_t index) {
        seen.emplace_back(element, index);
        return static_cast<int>(seen.size()) < stop;
    }
};

TEST(Collections, GrowInStepsThatFollowTheCount) {
    __FCCollection collection;
    std::vector<int32_t> capacityAfter{0};  // by the number of elements added
    std::vector<__FCBase *> added;
    for (int32_t n = 1; n <= 10101; ++n) {
        added.push_back(new __FCBase);
        collection.Add(added.back());
        capacityAfter.push_back(collection.GetCapacity());
    }
    const std::pair<int32_t, int32_t> steps[] = {
        {1, 10},    {10, 10},     {11, 20},     {101, 110},     {110, 110},
        {111, 150}, {1001, 1050}, {1051, 1100}, {10001, 10100}, {10101, 11000}};
    for (const auto &[count, capacity] : steps) EXPECT_EQ(capacityAfter[count], capacity) << count;
    // The array beneath grows by doubling, not by the steps: every element
    // comes through each move where it was.
    for (int32_t i = 0; i < 10101; ++i) {
        ASSERT_EQ(collection.GetItemAt(i), added[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(Collections, GrowKeepsTheElementsAndRefusesAnOverflowingSize) {
    __FCCollection collection;
    EXPECT_EQ(collection.GetItemAt(0), nullptr) << "no array yet";
    for (int i = 0; i < 9; ++i) collection.Add(new __FCBase);
    __FCBase *fifth = collection.GetItemAt(4);
    collection.Grow(3);
    EXPECT_EQ(collection.GetCapacity(), 20);
    EXPECT_EQ(collection.GetItemAt(4), fifth);
    EXPECT_THROW(collection.Grow(INT32_MAX), std::bad_alloc);
    EXPECT_EQ(collection.GetCapacity(), 20);
    collection.Grow(11);
    EXPECT_EQ(collection.GetCapacity(), 20) << "room enough already: no step";
    EXPECT_EQ(collection.GetItemAt(4), fifth);
    EXPECT_EQ(collection.GetItemAt(-1), nullptr);
    EXPECT_EQ(collection.GetItemAt(9), nullptr);
}

TEST(Collections, VisitorsSkipEmptyEntriesAndStopWhenToldTo) {
    __FCCollection collection;
    collection.Add(nullptr);
    for (int i = 0; i < 2; ++i) collection.Add(new __FCBase);
    collection.Add(nullptr);
    for (int i = 0; i < 2; ++i) collection.Add(new __FCBase);
    const auto at = [&collection](int32_t index) { return collection.GetItemAt(index); };
    using Seen = std::vector<std::pair<__FCBase *, int32_t>>;

    RecordingVisitor visitor(3);
    EXPECT_EQ(collection.ForEach(&visitor), 2);
    EXPECT_EQ(visitor.seen, (Seen{{at(1), -1}, {at(2), -1}, {at(4), -1}}));
    RecordingVisitor indexed(3);
    EXPECT_EQ(collection.ForEachIndex(&indexed), 2);
    EXPECT_EQ(indexed.seen, (Seen{{at(1), 1}, {at(2), 2}, {at(4), 4}}));
    RecordingVisitor everything(99);
    EXPECT_EQ(collection.ForEachIndex(&everything), 4);
    RecordingVisitor matcher(3);
    EXPECT_EQ(collection.FindFirst(&matcher), at(4));
    EXPECT_EQ(matcher.seen.size(), 3u);
    RecordingVisitor never(99);
    EXPECT_EQ(collection.FindFirst(&never), nullptr);
    __FCCollection empty;
    EXPECT_EQ(empty.FindFirst(&never), nullptr);
    EXPECT_EQ(empty.ForEach(&never), 0);
    EXPECT_EQ(never.seen.size(), 4u) << "only the first collection's elements were seen";
}

class StaffSystems : public HostTest {
protected:
    StaffSystems() {
        for (uint8_t i = 1; i <= 3; ++i) host.Records().Put({kSoss, i, 0}, standin::Bytes(28, i));
        host.SetDocumentId(4);
    }
    FCStaffSystems systems;
};

TEST_F(StaffSystems, LoadAllHoldsOneCopyPerSystemUnderItsOwnKey) {
    EXPECT_EQ(systems.LoadAll(), 3);
    EXPECT_EQ(systems.LoadAll(), 3);
    FCStaffSystem *last = systems.GetItemAt(2);
    EXPECT_EQ(last->GetItemNo(), 3);
    EXPECT_EQ(last->GetDocumentID(), 4);
    EXPECT_EQ(last->HeldBytes(), last->GetRecordBuffer());
    EXPECT_EQ(last->HeldBytes()[0], 3);
    EXPECT_EQ(systems.GetItemAt(3), nullptr);
    host.Records().Erase({kSoss, 1, 0});
    EXPECT_EQ(systems.LoadAll(), 0);
    EXPECT_TRUE(systems.SaveAll());
}

TEST_F(StaffSystems, SaveAllWritesEverySystemBackWithOnlyTheChangedIndent) {
    systems.LoadAll();
    systems.GetItemAt(1)->SetLeftIndent(0x0102);
    host.ClearTrace();
    ASSERT_TRUE(systems.SaveAll());
    standin::Bytes changed(28, 2);
    changed[2] = 0x02;
    changed[3] = 0x01;
    ASSERT_EQ(host.Trace().size(), 3u);
    EXPECT_EQ(host.Trace()[0].data, standin::Bytes(28, 1));
    EXPECT_EQ(host.Trace()[1].data, changed);
    EXPECT_EQ(host.Trace()[2].data, standin::Bytes(28, 3));
}

TEST_F(StaffSystems, HoldOnlyStaffSystems) {
    systems.LoadAll();
    systems.Add(new FCMeasure);
    EXPECT_EQ(systems.GetItemAt(3), nullptr);
    EXPECT_NE(systems.GetItemAt(2), nullptr);
}

TEST_F(StaffSystems, SaveAllPassesOverEmptyEntries) {
    systems.LoadAll();
    systems.Add(nullptr);
    systems.Add(new FCStaffSystem);  // holds nothing: its save fails
    host.ClearTrace();
    EXPECT_FALSE(systems.SaveAll());
    EXPECT_EQ(CallsOf("FX_SaveEData").size(), 3u);
}

TEST_F(StaffSystems, SaveAllStopsAtTheFirstFailedSave) {
    systems.LoadAll();
    host.FailCallsWhere([](const standin::HostCall &call) { return call.itemIn == 2; });
    host.ClearTrace();
    EXPECT_FALSE(systems.SaveAll());
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"FX_SaveEData 'SOSS' (1,0) length 28 v=0x19000000 -> 1",
                                        "FX_SaveEData 'SOSS' (2,0) length 28 v=0x19000000 -> 0"}));
}

}  // namespace
