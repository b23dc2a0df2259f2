// The command lines the validator prints and starts workers with: each
// argument quoted only when this system's shell needs it, and the host
// programs that lack a function found beside the program; a worker stopped
// at its time, and everything it started ending with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <fstream>
#endif

#include "standin/validator/runner.h"
#include "standin/validator/validator_platform.h"

namespace {

using standin::validator::ChildWatch;
using standin::validator::Clock;
using standin::validator::HostProgramLacking;
using standin::validator::QuoteArgument;
using standin::validator::RunChild;

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

// The program of the tests that lingers, or starts itself in the background.
const char *const kLingerer = KARVO_LINGERER;

struct Heard {
    std::string output;
    int reports = 0;
};

ChildWatch Listening(Heard &heard, Clock::time_point deadline) {
    ChildWatch watch;
    watch.onReport = [&heard](const std::string &) { ++heard.reports; };
    watch.onOutput = [&heard](const char *bytes, std::size_t count) {
        heard.output.append(bytes, count);
    };
    watch.deadline = [deadline] { return deadline; };
    return watch;
}

bool StillRuns(unsigned long process) {
#if defined(_WIN32)
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) return false;
    // Wine ends a process a moment after it says it has: it is waited for
    // until it has gone, for at most a minute.
    const bool runs = WaitForSingleObject(handle, 60000) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return runs;
#else
    // Killed, it may take a moment to go, and stays a while as a zombie: it
    // is looked for until it has gone, for at most a minute.
    for (int wait = 0; wait < 1200; ++wait) {
        std::ifstream status("/proc/" + std::to_string(process) + "/stat");
        std::string pid, name, state;
        if (!(status >> pid >> name >> state) || state == "Z") return false;
        usleep(50000);
    }
    return true;
#endif
}

TEST(Workers, EndWithWhatTheyStarted) {
    Heard heard;
    const auto end = RunChild(kLingerer, {"--background"},
                              Listening(heard, Clock::now() + std::chrono::seconds(60)));
    EXPECT_FALSE(end.stopped);
    EXPECT_TRUE(end.exitedNormally) << end.how;
    EXPECT_EQ(heard.reports, 0);
    // The program it started may have printed first.
    const std::size_t said = heard.output.find("started ");
    ASSERT_NE(said, std::string::npos) << heard.output;
    const unsigned long started = std::strtoul(heard.output.c_str() + said + 8, nullptr, 10);
    ASSERT_NE(started, 0u);
    EXPECT_FALSE(StillRuns(started)) << "the program it started outlived it";
}

// The worker prints, then reports that it runs; its time is up half a
// second after that report, while it goes on printing for ten minutes. (A
// worker that never reports is stopped after five, and fails.)
TEST(Workers, AreStoppedAtTheirTimeWhateverTheyPrint) {
    Heard heard;
    const Clock::time_point never = Clock::now() + std::chrono::minutes(5);
    std::optional<Clock::time_point> running;
    ChildWatch watch = Listening(heard, never);
    watch.onReport = [&](const std::string &line) {
        if (line == "running" && !running) running = Clock::now();
    };
    watch.deadline = [&] { return running ? *running + std::chrono::milliseconds(500) : never; };
    const auto end = RunChild(kLingerer, {}, watch);
    ASSERT_TRUE(running) << "it never reported; it ended with " << end.how;
    EXPECT_TRUE(end.stopped) << end.how;
    EXPECT_NE(heard.output.find("still here"), std::string::npos);
}

}  // namespace
