// A crash report names the entry point that was running and where the fault
// lies; a write into a host buffer after its call, or a crash in a thread
// the module left running, is reported for the case that caused it.
#include <gtest/gtest.h>

#include <string>

#include "standin/validator/fault_context.h"

namespace {

using namespace standin::validator;

constexpr uint64_t kMainThread = 100;
uint8_t retiredPages[64];

class FaultReports : public ::testing::Test {
protected:
    FaultReports() {
        SetMainThread(kMainThread);
        SetRunningEntryPoint(nullptr);
        SetCurrentCase(kNoCase);
    }
    ~FaultReports() override {
        SetRunningEntryPoint(nullptr);
        SetCurrentCase(kNoCase);
    }
    static std::string Report(FaultFacts facts) {
        char text[512];
        return std::string(text, ComposeFaultReport(facts, text, sizeof text));
    }
    static FaultFacts Segfault(uintptr_t address, FaultFacts::Access access,
                               uint64_t thread = kMainThread) {
        FaultFacts facts;
        facts.kind = "signal 11 (SIGSEGV)";
        facts.hasAddress = true;
        facts.address = address;
        facts.access = access;
        facts.thread = thread;
        facts.module = "m.fxt";
        facts.offset = 0x11a9;
        facts.symbol = "FinaleExtensionInvoke";
        return facts;
    }
};

TEST_F(FaultReports, NameTheEntryPointTheAccessAndWhere) {
    SetRunningEntryPoint("FinaleExtensionInvoke");
    EXPECT_EQ(Report(Segfault(0x10, FaultFacts::Access::Write)),
              "crash crashed the host during FinaleExtensionInvoke: signal 11 (SIGSEGV) writing "
              "to address 0x10, at m.fxt+0x11a9 (FinaleExtensionInvoke)");
    FaultFacts abort;
    abort.kind = "signal 6 (SIGABRT)";
    abort.thread = kMainThread;
    EXPECT_EQ(Report(abort),
              "crash crashed the host during FinaleExtensionInvoke: signal 6 (SIGABRT)");
}

TEST_F(FaultReports, SayWhenNoEntryPointWasRunning) {
    EXPECT_EQ(Report(Segfault(0, FaultFacts::Access::Read)),
              "crash crashed the host between calls into it: signal 11 (SIGSEGV) reading address "
              "0x0, at m.fxt+0x11a9 (FinaleExtensionInvoke)");
}

TEST_F(FaultReports, BlameTheCaseThatHandedOverABufferWrittenAfterItsCall) {
    SetCurrentCase(3);
    NoteRetiredBuffer(retiredPages, sizeof retiredPages, retiredPages + 16,
                      "the selection record FinaleExtensionInvoke handed over");
    SetCurrentCase(5);
    SetRunningEntryPoint("FinaleExtensionInit");
    const auto at = [](int offset) {
        return reinterpret_cast<uintptr_t>(retiredPages + 16 + offset);
    };
    EXPECT_EQ(Report(Segfault(at(4), FaultFacts::Access::Write)),
              "late 3 wrote into the selection record FinaleExtensionInvoke handed over (byte 4) "
              "after that call had returned, during FinaleExtensionInit, at m.fxt+0x11a9 "
              "(FinaleExtensionInvoke)");
    EXPECT_EQ(Report(Segfault(at(-2), FaultFacts::Access::Write, 7)),
              "late 3 wrote into the selection record FinaleExtensionInvoke handed over (byte -2) "
              "after that call had returned, from a thread it started, at m.fxt+0x11a9 "
              "(FinaleExtensionInvoke)");
    EXPECT_EQ(Report(Segfault(at(48), FaultFacts::Access::Write)).rfind("crash ", 0), 0u);
}

TEST_F(FaultReports, BlameTheCaseThatLeftTheCrashingThreadRunning) {
    SetCurrentCase(2);
    NoteLeftThread(42);
    SetCurrentCase(6);
    EXPECT_EQ(Report(Segfault(0x8, FaultFacts::Access::Read, 42)),
              "late 2 crashed the host from a thread it had left running: signal 11 (SIGSEGV) "
              "reading address 0x8, at m.fxt+0x11a9 (FinaleExtensionInvoke)");
    SetRunningEntryPoint("FinaleExtensionInvoke");
    EXPECT_EQ(Report(Segfault(0x8, FaultFacts::Access::Read, 43)),
              "crash crashed the host from a thread it started: signal 11 (SIGSEGV) reading "
              "address 0x8, at m.fxt+0x11a9 (FinaleExtensionInvoke)");
}

TEST_F(FaultReports, StayWithinTheirRoom) {
    SetRunningEntryPoint("FinaleExtensionInvoke");
    char text[16];
    EXPECT_EQ(ComposeFaultReport(Segfault(0, FaultFacts::Access::Read), text, sizeof text),
              sizeof text);
    EXPECT_EQ(std::string(text, sizeof text), "crash crashed th");
}

}  // namespace
