#include <gtest/gtest.h>

#include "standin/host/record_store.h"

namespace {

using standin::Bytes;
using standin::RecordKey;
using standin::RecordStore;

constexpr uint32_t kTag = 0x534F5353;
constexpr uint32_t kLaterTag = kTag + 1;

TEST(RecordStore, NextWalksOneTagInItemThenInciOrder) {
    RecordStore store;
    store.Put({kTag, 2, 1}, {});
    store.Put({kTag, 1, 0}, {});
    store.Put({kTag, 2, 0}, {});
    store.Put({kLaterTag, 0, 0}, {});
    EXPECT_EQ(store.Next({kTag, 1, 0}), (RecordKey{kTag, 2, 0}));
    EXPECT_EQ(store.Next({kTag, 2, 0}), (RecordKey{kTag, 2, 1}));
    EXPECT_FALSE(store.Next({kTag, 2, 1}));
    EXPECT_EQ(store.Next({kTag, 0, 0}), (RecordKey{kTag, 1, 0}));  // from a key not held
}

TEST(RecordStore, NextFreeItemFollowsTheHighestAndStopsAtTheLargest) {
    RecordStore store;
    EXPECT_EQ(store.NextFreeItem(kTag), 1);
    store.Put({kTag, -2, 0}, {});
    EXPECT_EQ(store.NextFreeItem(kTag), 1);
    store.Put({kTag, 7, 3}, {});
    store.Put({kLaterTag, 40, 0}, {});
    EXPECT_EQ(store.NextFreeItem(kTag), 8);
    store.Put({kTag, 32767, 0}, {});
    EXPECT_FALSE(store.NextFreeItem(kTag));
}

}  // namespace
