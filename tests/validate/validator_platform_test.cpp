// The command lines the validator prints and starts workers with: each
// argument quoted only when this system's shell needs it, and the host
// programs that lack a function found beside the program.
#include <gtest/gtest.h>

#include <string>

#include "standin/validator/runner.h"
#include "standin/validator/validator_platform.h"

namespace {

using standin::validator::HostProgramLacking;
using standin::validator::QuoteArgument;

struct Quoting {
    const char *argument;
    const char *quoted;
};

#if defined(_WIN32)
// As a Windows program's C runtime splits its command line.
const Quoting kQuoting[] = {
    {"plain", "plain"},
    {"failing-call:command=0,call=3", "failing-call:command=0,call=3"},
    {"two words", "\"two words\""},
    {"", "\"\""},
    {"say \"hi\"", "\"say \\\"hi\\\"\""},
    {"C:\\a b\\", "\"C:\\a b\\\\\""},
};
#else
// As a POSIX shell reads it.
const Quoting kQuoting[] = {
    {"plain", "plain"},
    {"failing-call:command=0,call=3", "failing-call:command=0,call=3"},
    {"two words", "'two words'"},
    {"", "''"},
    {"it's", "'it'\\''s'"},
    {"$HOME", "'$HOME'"},
};
#endif

class Quoted : public ::testing::TestWithParam<Quoting> {};

TEST_P(Quoted, AsTheShellReadsIt) {
    EXPECT_EQ(QuoteArgument(GetParam().argument), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Arguments, Quoted, ::testing::ValuesIn(kQuoting));

TEST(HostsLackingAFunction, AreBesideTheProgramUnderItsName) {
    EXPECT_EQ(HostProgramLacking("/opt/host/FINALE.EXE", "FX_LoadEData"),
              "/opt/host/lacking/FX_LoadEData/FINALE.EXE");
    EXPECT_EQ(HostProgramLacking("Z:\\host\\FINALE.EXE", "FX_NextEData"),
              "Z:\\host\\lacking\\FX_NextEData\\FINALE.EXE");
    EXPECT_EQ(HostProgramLacking("FINALE.EXE", "FX_SlotToInst"),
              "lacking/FX_SlotToInst/FINALE.EXE");
}

}  // namespace
