#include <gtest/gtest.h>

#include "framework/fc_region.h"
#include "interface/record_bytes.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

struct Point {
    uint16_t context, slot;
    int16_t measure;
    uint32_t position;
};

// Fills the region from a selection record holding the two points.
FCMusicRegion &Select(FCMusicRegion &region, Point start, Point end) {
    uint8_t selection[FCMusicRegion::kSelectionRecordSize];
    for (const auto &[at, point] : {std::pair<std::size_t, Point>{0, start}, {10, end}}) {
        hostdata::WriteU16(selection, at, point.context);
        hostdata::WriteU16(selection, at + 2, point.slot);
        hostdata::WriteU16(selection, at + 4, static_cast<uint16_t>(point.measure));
        hostdata::WriteU32(selection, at + 6, point.position);
    }
    region.SetFromSelection(selection);
    return region;
}

class Regions : public HostTest {
protected:
    Regions() {
        host.Slots() = {{1, 7}, {2, 8}, {3, 8}, {4, 7}};
        Select(base, {1, 1, 2, 100}, {4, 2, -3, 200});
    }
    FCMusicRegion base, other;
};

TEST_F(Regions, TakeTheirMeasuresFromTheSelectionRecord) {
    EXPECT_EQ(other.GetStartMeasure(), 0);
    EXPECT_EQ(base.GetStartMeasure(), 2);
    EXPECT_EQ(base.GetEndMeasure(), -3);
}

// The other region's staff is asked for first, then this one's.
TEST_F(Regions, AreTheSameWhenTheirSlotsShowTheSameStaves) {
    EXPECT_TRUE(base.IsSameRegion(Select(other, {1, 4, 2, 100}, {9, 3, -3, 200})));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{
                  "FX_SlotToInst 4 1 v=0x19000000 -> 7", "FX_SlotToInst 1 1 v=0x19000000 -> 7",
                  "FX_SlotToInst 3 9 v=0x19000000 -> 8", "FX_SlotToInst 2 4 v=0x19000000 -> 8"}));
}

TEST_F(Regions, DifferWhenAnyPartOfEitherPointDiffers) {
    EXPECT_FALSE(base.IsSameRegion(Select(other, {2, 1, 2, 100}, {4, 2, -3, 200})));
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 2, 2, 100}, {4, 2, -3, 200})));
    EXPECT_EQ(Calls().size(), 2u);
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 1, 2, 100}, {4, 1, -3, 200})))
        << "the end staves differ";
    EXPECT_EQ(Calls().size(), 6u);
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 1, 2, 101}, {4, 2, -3, 200})));
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 1, 2, 100}, {4, 2, -3, 201})));
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 1, 3, 100}, {4, 2, -3, 200})));
    EXPECT_FALSE(base.IsSameRegion(Select(other, {1, 1, 2, 100}, {4, 2, 3, 200})));
}

TEST_F(Regions, WithoutSlotToInstTheSlotsAreNotCompared) {
    UseHost({"FINALE.EXE", {"FX_SlotToInst"}});
    EXPECT_TRUE(base.IsSameRegion(Select(other, {1, 2, 2, 100}, {5, 1, -3, 200})));
}

}  // namespace
