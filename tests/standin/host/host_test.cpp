#include <gtest/gtest.h>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/host/host.h"

namespace {

using standin::Bytes;
using standin::Host;

constexpr uint32_t kShortVersion = 0x0A000000;
constexpr uint32_t kLongVersion = 0x12000000;

Bytes Counting(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    return bytes;
}

TEST(StandinHost, LoadCopiesAtMostTheRoomAndReportsTheFullSize) {
    Host host;
    host.Records().Put({0x6F743737, -2, 0}, Counting(12));
    FxDataKey key{-2, 0};
    uint8_t buffer[8] = {};
    int32_t size = 4;
    EXPECT_EQ(host.LoadEData(0x6F743737, &key, buffer, &size, 0x19000000), 1);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(buffer[4], 0);
}

TEST(StandinHost, ServesOneMeasureInBothLayoutsAndKeepsTheLongOnesExtraBytes) {
    Host host;
    host.PutMeasure(3, Counting(30));
    FxDataKey key{3, 0};
    uint8_t buffer[30];
    int32_t size = sizeof buffer;
    ASSERT_EQ(host.LoadEData(hostdata::kMeasureTag, &key, buffer, &size, kShortVersion), 1);
    EXPECT_EQ(size, 26);
    EXPECT_EQ(buffer[4], 9);  // long offset 8 is short offset 4
    EXPECT_EQ(buffer[25], 30);

    hostdata::WriteU16(buffer, 10, 0x0050);  // barline word of the short layout
    ASSERT_EQ(host.SaveEData(hostdata::kMeasureTag, &key, buffer, 26, kShortVersion), 1);
    size = sizeof buffer;
    ASSERT_EQ(host.LoadEData(hostdata::kMeasureTag, &key, buffer, &size, kLongVersion), 1);
    EXPECT_EQ(size, 30);
    EXPECT_EQ(hostdata::ReadU16(buffer, 14), 0x0050);
    EXPECT_EQ(buffer[4], 5);  // bytes 4 to 7 survive a save in the short layout
    EXPECT_EQ(buffer[7], 8);
}

TEST(StandinHost, UpdateLayoutFillsOnlySystemsNotYetLaidOut) {
    Host host;
    Bytes unlaid(28, 0), laid(28, 0);
    hostdata::WriteU16(laid.data(), 8, 9);
    host.Records().Put({hostdata::kStaffSystemTag, 1, 0}, unlaid);
    host.Records().Put({hostdata::kStaffSystemTag, 2, 0}, laid);
    host.Layout() = {{1, 1}, {2, 5}};
    host.UpdateLayout(1, 0, 0x19000000);
    EXPECT_EQ(hostdata::ReadI16(host.Records().Find({hostdata::kStaffSystemTag, 1, 0})->data(), 8),
              1);
    EXPECT_EQ(hostdata::ReadI16(host.Records().Find({hostdata::kStaffSystemTag, 2, 0})->data(), 8),
              9);
}

TEST(StandinHost, AnInjectedFailureChangesNothingAndIsTraced) {
    Host host;
    host.Records().Put({hostdata::kStaffSystemTag, 1, 0}, Bytes(28, 1));
    host.FailCallsWhere(
        [](const standin::HostCall &call) { return call.function == "FX_SaveEData"; });
    FxDataKey key{1, 0};
    const Bytes zeros(28, 0);
    EXPECT_EQ(host.SaveEData(hostdata::kStaffSystemTag, &key, zeros.data(), 28, 0x19000000), 0);
    EXPECT_EQ(*host.Records().Find({hostdata::kStaffSystemTag, 1, 0}), Bytes(28, 1));
    ASSERT_EQ(host.Trace().size(), 1u);
    EXPECT_EQ(host.Trace()[0].ToString(), "FX_SaveEData 'SOSS' (1,0) length 28 v=0x19000000 -> 0");
}

TEST(StandinHost, WithoutTracingServesAndSavesButKeepsNoTrace) {
    Host host;
    host.SetTracing(false);
    FxDataKey key{1, 0};
    const Bytes saved(28, 7);
    EXPECT_EQ(host.SaveEData(hostdata::kStaffSystemTag, &key, saved.data(), 28, 0x19000000), 1);
    uint8_t buffer[28] = {};
    int32_t size = sizeof buffer;
    EXPECT_EQ(host.LoadEData(hostdata::kStaffSystemTag, &key, buffer, &size, 0x19000000), 1);
    EXPECT_EQ(Bytes(buffer, buffer + size), saved);
    EXPECT_TRUE(host.Trace().empty());
}

}  // namespace
