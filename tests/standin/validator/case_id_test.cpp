// A case's name holds all a worker needs to run it again: it reads back as
// it was written, and a malformed one is refused with what was expected.
#include <gtest/gtest.h>

#include <string>

#include "standin/platform/errors.h"
#include "standin/validator/case_id.h"

namespace {

using standin::UsageError;
using standin::validator::CaseId;
using standin::validator::CaseParameters;

TEST(CaseIds, ReadBackAsWritten) {
    CaseParameters parameters;
    parameters.Set("command", 0u)
        .Set("document", "short")
        .SetWord("version", 0x12000000)
        .Set("call", 17u);
    const CaseId id{"failing-call", parameters};
    const std::string text = id.ToString();
    EXPECT_EQ(text, "failing-call:command=0,document=short,version=0x12000000,call=17");
    const CaseId read = CaseId::Parse(text);
    EXPECT_EQ(read.check, "failing-call");
    EXPECT_EQ(read.parameters.ToString(), parameters.ToString());
    EXPECT_EQ(read.parameters.Number("version"), 0x12000000u);
    EXPECT_EQ(read.parameters.Number("call"), 17u);
    EXPECT_EQ(read.parameters.Text("document"), "short");
}

TEST(CaseIds, ASecondValueForAKeyReplacesTheFirst) {
    CaseParameters parameters = CaseParameters::Parse("command=0,call=1");
    parameters.Set("command", 1u);
    EXPECT_EQ(parameters.ToString(), "command=1,call=1");
}

TEST(CaseIds, MatchWhateverTheOrderOfTheirParametersButNotWithOneMoreOrOneChanged) {
    const CaseParameters listed = CaseParameters::Parse("command=0,document=short,selection=all");
    EXPECT_TRUE(listed.Matches(CaseParameters::Parse("selection=all,command=0,document=short")));
    EXPECT_FALSE(listed.Matches(CaseParameters::Parse("command=0,document=short")));
    EXPECT_FALSE(
        listed.Matches(CaseParameters::Parse("command=0,document=short,selection=all,call=1")));
    EXPECT_FALSE(listed.Matches(CaseParameters::Parse("command=1,document=short,selection=all")));
}

struct Malformed {
    const char *name;
    std::function<void()> read;
    const char *message;
};

const Malformed kMalformed[] = {
    {"NoCheck", [] { CaseId::Parse("command=0"); }, "is not CHECK:PARAMETERS"},
    {"EmptyCheck", [] { CaseId::Parse(":command=0"); }, "is not CHECK:PARAMETERS"},
    {"NoValue", [] { CaseId::Parse("init:word"); }, "are not key=value pairs"},
    {"NoKey", [] { CaseId::Parse("init:=1"); }, "are not key=value pairs"},
    {"EmptyPair", [] { CaseId::Parse("init:a=1,,b=2"); }, "are not key=value pairs"},
    {"MissingKey", [] { CaseParameters::Parse("a=1").Text("b"); }, "the case names no b"},
    {"NotANumber", [] { CaseParameters::Parse("call=seven").Number("call"); },
     "call 'seven' is not a 32-bit number"},
    {"ValueWithAComma", [] { CaseParameters().Set("document", "a,b"); }, "holds a comma"},
};

class MalformedCaseIds : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedCaseIds, AreRefusedWithWhatWasExpected) {
    try {
        GetParam().read();
        FAIL() << "accepted";
    } catch (const UsageError &error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Ids, MalformedCaseIds, ::testing::ValuesIn(kMalformed),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
