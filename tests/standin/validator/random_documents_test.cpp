// A random case is made again exactly from its seed and number, which is
// what lets a person replay it; other numbers and seeds give other cases.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "standin/validator/random_documents.h"

namespace {

using standin::validator::MakeRandomRun;
using standin::validator::RandomRun;

bool Same(RandomRun a, RandomRun b) {
    return a.host.Records().All() == b.host.Records().All() && a.host.Layout() == b.host.Layout() &&
           a.host.Slots() == b.host.Slots() && a.host.CurrentPart() == b.host.CurrentPart() &&
           a.hostVersion == b.hostVersion && a.selection == b.selection &&
           a.commandPick == b.commandPick && a.failingCall == b.failingCall &&
           a.description == b.description;
}

class RandomRuns : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RandomRuns, AreTheSameForTheSameSeedAndNumber) {
    EXPECT_TRUE(Same(MakeRandomRun(7, GetParam()), MakeRandomRun(7, GetParam())));
    EXPECT_FALSE(Same(MakeRandomRun(7, GetParam()), MakeRandomRun(8, GetParam())));
    EXPECT_FALSE(Same(MakeRandomRun(7, GetParam()), MakeRandomRun(7, GetParam() + 1)));
}

INSTANTIATE_TEST_SUITE_P(Numbers, RandomRuns, ::testing::Values(1u, 2u, 150u, 300u));

TEST(RandomRuns, CoverWhatAHostMayDoToAModule) {
    std::set<std::string> seen;
    for (uint32_t number = 1; number <= 300; ++number) {
        RandomRun run = MakeRandomRun(1, number);
        if (!run.selection) seen.insert("no selection");
        if (run.failingCall != 0) seen.insert("a failing call");
        if (run.description.find("sizes reported") != std::string::npos) {
            seen.insert("sizes misreported");
        }
        if (run.description.find(" records ") != std::string::npos) seen.insert("records resized");
        if (run.host.CurrentPart() != 0) seen.insert("a part viewed");
        if (!run.host.Layout().empty()) seen.insert("systems not laid out");
    }
    EXPECT_EQ(seen,
              (std::set<std::string>{"no selection", "a failing call", "sizes misreported",
                                     "records resized", "a part viewed", "systems not laid out"}));
}

}  // namespace
