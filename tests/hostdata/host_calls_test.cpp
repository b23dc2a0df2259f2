#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "hostdata/host_calls.h"
#include "interface/data_tag.h"
#include "tests/support/fresh_host_fixture.h"

namespace {

constexpr uint32_t kVersion = 0x19000000;
const uint32_t kSoss = hostdata::kStaffSystemTag;

class HostCalls : public HostTest {
protected:
    HostCalls() {
        host.Records().Put({kSoss, 1, 0}, standin::Bytes(28, 0x11));
        host.Records().Put({kSoss, 2, 0}, standin::Bytes(28, 0x22));
    }
};

// Each call carries a version of its own, as the caller gave it.
TEST_F(HostCalls, PassEveryArgumentToTheHostUnchanged) {
    hostdata::DataKey key{2, 0};
    uint8_t buffer[28];
    int32_t size = sizeof buffer;
    EXPECT_EQ(hostdata::LoadHostRecord(kSoss, &key, buffer, &size, 0x01000001), 1);
    EXPECT_EQ(buffer[27], 0x22);
    EXPECT_EQ(hostdata::SaveHostRecord(kSoss, &key, buffer, 28, 0x02000002), 1);
    EXPECT_EQ(hostdata::NextHostRecord(kSoss, &key, 0x03000003), 0);
    hostdata::DataKey created{-1, -1};
    EXPECT_EQ(hostdata::CreateHostRecord(kSoss, &created, buffer, 28, 0x04000004), 1);
    EXPECT_EQ(hostdata::DeleteHostRecord(kSoss, &created, 0x05000005), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "FX_LoadEData 'SOSS' (2,0) room 28 v=0x01000001 -> 1 size 28",
                           "FX_SaveEData 'SOSS' (2,0) length 28 v=0x02000002 -> 1",
                           "FX_NextEData 'SOSS' (2,0) v=0x03000003 -> 0",
                           "FX_CreateEData 'SOSS' (-1,-1)->(3,0) length 28 v=0x04000004 -> 1",
                           "FX_DeleteEData 'SOSS' (3,0) v=0x05000005 -> 1",
                       }));
}

// However a load goes, plain, asking which words were filled, or for a
// preference record no map serves, a host without its load answers 0.
TEST_F(HostCalls, WithoutTheHostsLoadEveryLoadAnswersZero) {
    UseHost({"FINALE.EXE", {"FX_LoadEData"}});
    hostdata::DataKey key{1, 0};
    uint8_t buffer[28] = {};
    int32_t size = sizeof buffer;
    EXPECT_EQ(hostdata::LoadHostRecord(kSoss, &key, buffer, &size, kVersion), 0);
    hostdata::SuppliedWords supplied = hostdata::SuppliedWords::FirstBytes(28);
    EXPECT_EQ(hostdata::LoadHostRecord(kSoss, &key, buffer, &size, kVersion, &supplied), 0);
    EXPECT_TRUE(supplied.None());
    const uint32_t unmapped = hostdata::MakeTag('p', 'f', 'Z', 'Z');
    EXPECT_EQ(hostdata::LoadHostRecord(unmapped, &key, buffer, &size, kVersion), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(HostCalls, NextMovesTheKeyInPlace) {
    hostdata::DataKey key{1, 0};
    EXPECT_EQ(hostdata::NextHostRecord(kSoss, &key, kVersion), 1);
    EXPECT_EQ(key.item, 2);
    EXPECT_EQ(key.inci, 0);
}

TEST_F(HostCalls, QueriesCarryTheFrameworkVersionAndZeroExtendedSlots) {
    host.Slots()[0xFFFF] = 4;
    host.SetCurrentPart(0x10000);
    EXPECT_EQ(hostdata::SlotToInstrument(0xFFFF, 0x8000), 4);
    hostdata::UpdateLayout();
    EXPECT_EQ(hostdata::CurrentDocument(), 1);
    EXPECT_EQ(hostdata::CurrentPart(), 0x10000);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "FX_SlotToInst 65535 32768 v=0x19000000 -> 4",
                           "FX_UpdateLayout 1 0 v=0x19000000 -> 1",
                           "FX_GetCurrentEnigmaDocument v=0x19000000 -> 1",
                           "FX_GetCurrentPartID v=0x19000000 -> 65536",
                       }));
}

// The zero-probe tag: some hosts fail this load yet fill the record.
class ZeroProbe : public HostCalls {
protected:
    static constexpr uint32_t kProbe = hostdata::kZeroProbeTag;
    uint8_t buffer[120];
    int32_t size = sizeof buffer;
    hostdata::DataKey key{0, 0};

    ZeroProbe() { std::memset(buffer, 0xEE, sizeof buffer); }
};

TEST_F(ZeroProbe, ClearsTheFirst108BytesBeforeAskingTheHost) {
    host.FailCallsWhere([](const standin::HostCall &) { return true; });
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, &size, kVersion), 0);
    EXPECT_TRUE(std::all_of(buffer, buffer + 108, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(buffer[108], 0xEE);
}

TEST_F(ZeroProbe, CountsAFailedLoadThatLeftAByteAsSuccess) {
    // A host that writes one byte and then reports failure.
    host.Records().Put({kProbe, 0, 0}, standin::Bytes(4, 0));
    host.FailCallsWhere([this](const standin::HostCall &) {
        buffer[50] = 1;
        return true;
    });
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, &size, kVersion), 1);
    EXPECT_EQ(host.Trace().size(), 1u);
}

TEST_F(ZeroProbe, AsksTheHostTwiceWhenTheFirstLoadSucceeds) {
    host.Records().Put({kProbe, 0, 0}, standin::Bytes(8, 7));
    int calls = 0;
    host.FailCallsWhere([&calls](const standin::HostCall &) { return ++calls == 2; });
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, &size, 0x12000000), 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "FX_LoadEData 'O\tfI' (0,0) room 120 v=0x12000000 -> 1 size 8",
                           "FX_LoadEData 'O\tfI' (0,0) room 8 v=0x12000000 -> 0",
                       }));
}

TEST_F(ZeroProbe, AsksAgainWithNoMoreRoomThanTheCallerOffered) {
    // The host leaves the record's full size, 110, after the first load;
    // the caller said its buffer holds 100.
    host.Records().Put({kProbe, 0, 0}, standin::Bytes(110, 7));
    size = 100;
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, &size, kVersion), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "FX_LoadEData 'O\tfI' (0,0) room 100 v=0x19000000 -> 1 size 110",
                           "FX_LoadEData 'O\tfI' (0,0) room 100 v=0x19000000 -> 1 size 110",
                       }));
    EXPECT_EQ(buffer[99], 7);
    EXPECT_EQ(buffer[100], 0xEE);
}

TEST_F(ZeroProbe, ANullBufferIsNotClearedAndTheHostIsAskedOnce) {
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, nullptr, &size, kVersion), 0);
    EXPECT_EQ(host.Trace().size(), 1u);
}

// Without a size the caller's room is unknown: the probe clears its 108
// bytes, and the host is asked with no size.
TEST_F(ZeroProbe, WithoutASizeClearsAll108Bytes) {
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, nullptr, 0x0A000000), 0);
    EXPECT_TRUE(std::all_of(buffer, buffer + 108, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(buffer[108], 0xEE);
    EXPECT_EQ(Calls(), std::vector<std::string>{"FX_LoadEData 'O\tfI' (0,0) v=0x0A000000 -> 0"});
}

TEST_F(ZeroProbe, NeverClearsMoreThanTheRoomOffered) {
    size = 16;
    host.FailCallsWhere([](const standin::HostCall &) { return true; });
    hostdata::LoadHostRecord(kProbe, &key, buffer, &size, kVersion);
    EXPECT_EQ(buffer[15], 0);
    EXPECT_EQ(buffer[16], 0xEE);
}

TEST_F(ZeroProbe, WithoutTheHostsLoadAnswersZeroAfterClearing) {
    UseHost({"FINALE.EXE", {"FX_LoadEData"}});
    EXPECT_EQ(hostdata::LoadHostRecord(kProbe, &key, buffer, &size, kVersion), 0);
    EXPECT_EQ(buffer[0], 0);
}

}  // namespace
