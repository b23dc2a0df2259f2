// Walks over a host whose next does not move on: each ends at a key it has
// stood on before, within a bounded number of host calls.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/fc_staffsystem.h"
#include "interface/data_tag.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

const uint32_t kSoss = hostdata::kStaffSystemTag;

// A host whose next answers success and moves the key as `step` says.
class SteppingHost : public standin::Host {
public:
    explicit SteppingHost(std::function<uint16_t(uint16_t)> step) : step_(std::move(step)) {}
    int16_t NextEData(uint32_t, FxDataKey *key, void *, void *, uint32_t) override {
        ++nexts;
        // A bound far past any walk that ends, so that a walk that does not
        // fails the test instead of hanging it.
        if (nexts > 1000) return 0;
        key->item = step_(key->item);
        return 1;
    }
    int nexts = 0;

private:
    std::function<uint16_t(uint16_t)> step_;
};

class Walks : public HostTest {
protected:
    // Items 1 to 4: 1 and 3 hold records, 2 and 4 are empty.
    void Fill(standin::Host &walked) {
        walked.Records().Put({kSoss, 1, 0}, standin::Bytes(28, 1));
        walked.Records().Put({kSoss, 2, 0}, {});
        walked.Records().Put({kSoss, 3, 0}, standin::Bytes(28, 3));
        walked.Records().Put({kSoss, 4, 0}, {});
    }
    // The items of the systems LoadAll finds, and the host's nexts.
    std::vector<int> WalkOver(std::function<uint16_t(uint16_t)> step) {
        SteppingHost walked(std::move(step));
        Fill(walked);
        standin::Host::SetCurrent(&walked);
        FCStaffSystems systems;
        std::vector<int> items;
        const int32_t count = systems.LoadAll();
        for (int32_t i = 0; i < count; ++i) items.push_back(systems.GetItemAt(i)->GetItemNo());
        standin::Host::SetCurrent(&host);
        nexts = walked.nexts;
        return items;
    }
    int nexts = 0;
};

TEST_F(Walks, ANextThatStaysOnAnEmptyRecordEndsTheWalk) {
    EXPECT_EQ(WalkOver([](uint16_t item) { return item == 1 ? 2 : item; }), (std::vector<int>{1}));
    EXPECT_EQ(nexts, 2);
}

TEST_F(Walks, ANextThatStaysOnARecordEndsTheWalkWithoutTakingItTwice) {
    EXPECT_EQ(WalkOver([](uint16_t item) { return item; }), (std::vector<int>{1}));
    EXPECT_EQ(nexts, 1);
}

TEST_F(Walks, ANextThatMovesBackOrCyclesEndsAtTheFirstKeyVisitedAgain) {
    EXPECT_EQ(WalkOver([](uint16_t item) { return item == 4 ? 2 : item + 1; }),
              (std::vector<int>{1, 3}));
    EXPECT_EQ(nexts, 4);
    EXPECT_EQ(WalkOver([](uint16_t item) { return item == 4 ? 1 : item + 1; }),
              (std::vector<int>{1, 3}));
    EXPECT_EQ(WalkOver([](uint16_t item) { return item == 2 ? 1 : 2; }), (std::vector<int>{1}));
    // Back to a key not visited yet: the walk goes on from there.
    const uint16_t order[] = {0, 3, 4, 2, 4};
    EXPECT_EQ(WalkOver([&order](uint16_t item) { return order[item]; }), (std::vector<int>{1, 3}));
    EXPECT_EQ(nexts, 4);
}

// The walk's memory is its own: a fresh load begins a new one, so a record
// visited by an earlier walk is taken again.
TEST_F(Walks, EachWalkBeginsAfresh) {
    SteppingHost walked([](uint16_t item) { return item == 3 ? 1 : item + 1; });
    Fill(walked);
    standin::Host::SetCurrent(&walked);
    FCStaffSystem system;
    ASSERT_TRUE(system.LoadItem(1) && system.LoadNext());
    EXPECT_EQ(system.GetItemNo(), 3);
    EXPECT_FALSE(system.LoadNext());
    ASSERT_TRUE(system.LoadItem(1) && system.LoadNext());
    system.SetDataKey({1, 0});
    ASSERT_TRUE(system.LoadNext()) << "a key set begins a new walk";
    standin::Host::SetCurrent(&host);
}

// Keys are told apart by both halves, whatever their sign: two records whose
// inci is -1 are two records.
TEST_F(Walks, KeysWithANegativeInciAreEachTheirOwn) {
    SteppingHost walked([](uint16_t item) { return item + 1; });
    walked.Records().Put({kSoss, 1, -1}, standin::Bytes(28, 1));
    walked.Records().Put({kSoss, 2, -1}, standin::Bytes(28, 2));
    walked.Records().Put({kSoss, 3, -1}, standin::Bytes(28, 3));
    standin::Host::SetCurrent(&walked);
    FCStaffSystem system;
    system.SetDataKey({1, -1});
    std::vector<int> items;
    while (system.LoadNext() && items.size() < 3) items.push_back(system.GetItemNo());
    standin::Host::SetCurrent(&host);
    EXPECT_EQ(items, (std::vector<int>{2, 3})) << "the walk took the keys the host moved it to";
}

}  // namespace
