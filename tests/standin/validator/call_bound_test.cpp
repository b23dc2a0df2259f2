// The bound on a command's host calls: up to it every call is answered,
// past it every call is refused, on an honest host and a misbehaving one.
#include "standin/validator/call_bound.h"

#include <gtest/gtest.h>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/validator/misbehaving_host.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::validator::CallBound;
using standin::validator::CallBoundedHost;
using standin::validator::MisbehavingHost;

constexpr uint32_t kSystem = hostdata::kStaffSystemTag;
constexpr uint32_t kVersion = 0x19000000;
constexpr int16_t kSystems = 5;

// Five laid-out staff systems, at measures 1, 5, 9, ...
Host Systems() {
    Host host;
    for (int16_t item = 1; item <= kSystems; ++item) {
        Bytes record(Host::kStaffSystemSize, static_cast<uint8_t>(item));
        hostdata::WriteU16(record.data(), Host::kFirstMeasureOffset,
                           static_cast<uint16_t>(4 * item - 3));
        host.Records().Put({kSystem, item, 0}, record);
    }
    return host;
}

// Makes `calls` host calls, one of each of three functions in turn.
void Calls(Host &host, std::size_t calls) {
    for (std::size_t call = 0; call < calls; ++call) {
        FxDataKey key{1, 0};
        Bytes room(28);
        int32_t size = 28;
        switch (call % 3) {
            case 0:
                host.LoadEData(kSystem, &key, room.data(), &size, kVersion);
                break;
            case 1:
                host.NextEData(kSystem, &key, nullptr, nullptr, kVersion);
                break;
            default:
                host.GetCurrentEnigmaDocument(kVersion);
                break;
        }
    }
}

void ExpectAllAnswered(const Host &document) {
    for (const auto &call : document.Trace()) ASSERT_NE(call.result, 0) << call.ToString();
}

TEST(CallBound, AllowsACommandUpToItAndRefusesEveryCallPastIt) {
    Host document = Systems();
    CallBoundedHost host(document);
    Calls(host, CallBound(kSystems));
    EXPECT_EQ(host.BoundFault(), "");
    ExpectAllAnswered(document);
    document.ClearTrace();
    Calls(host, 3);
    for (const auto &call : document.Trace()) EXPECT_EQ(call.result, 0) << call.ToString();
    FxDataKey key{1, 0};
    EXPECT_EQ(host.NextEData(kSystem, &key, nullptr, nullptr, kVersion), 0);
    EXPECT_EQ(host.UpdateLayout(1, 0, kVersion), 0);
    const Bytes bytes(28, 0x77);
    EXPECT_EQ(host.SaveEData(kSystem, &key, bytes.data(), 28, kVersion), 0);
    EXPECT_NE(*document.Records().Find({kSystem, 1, 0}), bytes);
    EXPECT_EQ(host.BoundFault(),
              "FinaleExtensionInvoke went on past 144 host calls, 16 for each of the 5 records "
              "the host held and 64: a walk that does not end, or work that grows faster than "
              "the document; the host refused every call past the bound, and the command made "
              "150 in all");
}

TEST(CallBound, RefusesOnAMisbehavingHostAsOnAnHonestOne) {
    MisbehavingHost document(Systems());
    document.AnswerNexts("stays");
    document.BeginCommand();
    CallBoundedHost host(document);
    Calls(host, CallBound(kSystems));
    ExpectAllAnswered(document);
    FxDataKey key{1, 0};
    EXPECT_EQ(host.NextEData(kSystem, &key, nullptr, nullptr, kVersion), 0);
    EXPECT_NE(host.BoundFault(), "");
}

TEST(CallBound, CountsTheRecordsALayoutUpdateAdded) {
    MisbehavingHost document(Systems());
    document.AnswerLayoutUpdates("adds-a-system");
    CallBoundedHost host(document);
    host.UpdateLayout(1, 0, kVersion);
    host.UpdateLayout(1, 0, kVersion);
    Calls(host, CallBound(kSystems + 2) - 2);
    EXPECT_EQ(host.BoundFault(), "");
    Calls(host, 1);
    EXPECT_NE(host.BoundFault().find("past 176 host calls, 16 for each of the 7 records"),
              std::string::npos)
        << host.BoundFault();
}

TEST(CallBound, KeepsItsBoundWhenALayoutUpdateRemovesRecords) {
    MisbehavingHost document(Systems());
    document.AnswerLayoutUpdates("removes-a-system");
    CallBoundedHost host(document);
    host.UpdateLayout(1, 0, kVersion);
    Calls(host, CallBound(kSystems));
    EXPECT_NE(host.BoundFault().find("past 144 host calls, 16 for each of the 5 records"),
              std::string::npos)
        << host.BoundFault();
}

TEST(CallBound, IsNotRaisedByRecordsTheModuleMakes) {
    Host document = Systems();
    CallBoundedHost host(document);
    const Bytes bytes(28, 0x77);
    for (uint16_t item = 100; item < 120; ++item) {
        FxDataKey saved{static_cast<int16_t>(item), 0};
        EXPECT_EQ(host.SaveEData(kSystem, &saved, bytes.data(), 28, kVersion), 1);
        FxDataKey created{-1, -1};
        EXPECT_EQ(host.CreateEData(kSystem, &created, bytes.data(), 28, kVersion), 1);
    }
    host.UpdateLayout(1, 0, kVersion);
    Calls(host, CallBound(kSystems));
    EXPECT_NE(host.BoundFault().find("past 144 host calls"), std::string::npos);
}

TEST(CallBound, CountsOnlyTheCallsMadeThroughIt) {
    Host document = Systems();
    Calls(document, CallBound(kSystems) + 10);
    document.ClearTrace();
    CallBoundedHost host(document);
    Calls(host, CallBound(kSystems));
    EXPECT_EQ(host.BoundFault(), "");
    ExpectAllAnswered(document);
}

}  // namespace
