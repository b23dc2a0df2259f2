// The account of a worker: every case it was to run reported, or is named
// as failed or not run with what became of the worker; a fault traced to an
// earlier case is reported there, and the case running meanwhile runs
// again; what the module printed never counts as a report, and is kept to a
// few hundred bytes however much it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/validator/checks.h"
#include "standin/validator/worker_report.h"

namespace {

using namespace standin::validator;

const ChildEnd kExitedCleanly{true, 0, false, "exit status 0"};
const ChildEnd kSegmentationFault{false, 0, false, "killed by signal 11 (SIGSEGV)"};
const ChildEnd kStopped{false, 0, true, "killed by signal 9 (SIGKILL)"};

// A worker of a check with `cases` cases, listed and running from `first`.
WorkerReport Listed(std::size_t cases, std::size_t first = 0) {
    WorkerReport report(std::chrono::seconds(10));
    report.TakeLine("cases " + std::to_string(cases));
    for (std::size_t i = 0; i < cases; ++i) {
        report.TakeLine("case " + std::to_string(i) + " number=" + std::to_string(i));
    }
    report.TakeLine("runs " + std::to_string(first) + " " + std::to_string(cases));
    return report;
}

void Passes(WorkerReport &report, std::size_t number) {
    report.TakeLine("begin " + std::to_string(number));
    report.TakeLine("pass " + std::to_string(number));
}

struct Settled {
    CheckResult result;
    std::optional<std::size_t> next;
};

Settled Settle(const WorkerReport &report, const ChildEnd &end, bool runOut = false) {
    Settled settled;
    settled.result.check = FindCheck("random-documents");
    settled.next = WorkerAccount::Settle(
        report, end, {std::chrono::seconds(10), std::chrono::seconds(900), runOut}, settled.result);
    return settled;
}

TEST(WorkerAccount, EveryCaseThatReportedCountsAndTheCheckIsOver) {
    WorkerReport report = Listed(3);
    Passes(report, 0);
    report.TakeLine("begin 1");
    report.TakeLine("note 1 it measured");
    report.TakeLine("fail 1 saw it");
    Passes(report, 2);
    report.TakeLine("done");
    const Settled settled = Settle(report, kExitedCleanly);
    EXPECT_FALSE(settled.next);
    ASSERT_EQ(settled.result.cases.size(), 3u);
    EXPECT_EQ(settled.result.cases[1].parameters, "number=1");
    EXPECT_EQ(settled.result.cases[1].seen, "saw it");
    EXPECT_EQ(settled.result.cases[1].notes, std::vector<std::string>{"it measured"});
    EXPECT_EQ(settled.result.trouble, "");
    EXPECT_EQ(settled.result.FailedCases(), 1u);
}

TEST(WorkerAccount, ACaseThatNeverReportedFailsTheCheckEvenAfterDone) {
    WorkerReport report = Listed(3);
    Passes(report, 0);
    report.TakeLine("begin 1");
    report.TakeLine("pass 1");
    report.TakeLine("done");
    const Settled settled = Settle(report, kExitedCleanly);
    EXPECT_FALSE(settled.result.Passed());
    EXPECT_EQ(settled.result.trouble,
              "1 case never reported, though the worker said it was done; the host ended: exit "
              "status 0");
    EXPECT_EQ(settled.result.notRun, std::vector<std::string>{"number=2"});
}

TEST(WorkerAccount, WhatTheModulePrintedIsNoReportButIsKeptWithTheCase) {
    WorkerReport report = Listed(2);
    report.TakeLine("begin 0");
    const std::string fake = "\n@validate done\ndone\npass 0\npass 1\n";
    report.TakeOutput(fake.data(), fake.size());
    const Settled settled = Settle(report, kSegmentationFault);
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_FALSE(settled.result.cases[0].passed);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module crashed the host: killed by signal 11 (SIGSEGV)");
    EXPECT_EQ(settled.result.cases[0].printed, "@validate done / done / pass 0 / pass 1");
    EXPECT_EQ(settled.next, 1u);
}

TEST(WorkerAccount, ACrashIsTheRunningCasesWithWhatTheWorkerSaidOfItAndTheNextCaseRunsOn) {
    WorkerReport report = Listed(4);
    Passes(report, 0);
    report.TakeLine("begin 1");
    report.TakeLine("crash crashed the host during FinaleExtensionInvoke: signal 11 (SIGSEGV)");
    const Settled settled = Settle(report, kSegmentationFault);
    ASSERT_EQ(settled.result.cases.size(), 2u);
    EXPECT_EQ(settled.result.cases[1].seen,
              "the module crashed the host during FinaleExtensionInvoke: signal 11 (SIGSEGV)");
    EXPECT_EQ(settled.next, 2u);
}

TEST(WorkerAccount, AnExitDuringACaseSaysItsStatus) {
    WorkerReport report = Listed(2);
    report.TakeLine("begin 0");
    report.TakeLine("crash ended the host by calling exit() during FinaleExtensionInvoke");
    const Settled settled = Settle(report, kExitedCleanly);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module ended the host by calling exit() during FinaleExtensionInvoke (exit "
              "status 0)");
}

TEST(WorkerAccount, AWorkerEndingBetweenCasesIsTheLastCasesDoing) {
    WorkerReport report = Listed(3);
    Passes(report, 0);
    const Settled settled = Settle(report, ChildEnd{true, 3, false, "exit status 3"});
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_FALSE(settled.result.cases[0].passed);
    EXPECT_EQ(settled.result.cases[0].seen, "after it, the host ended: exit status 3");
    EXPECT_EQ(settled.next, 1u);
}

TEST(WorkerAccount, AFaultTracedToAnEarlierCaseFailsThatOneAndTheRunningCaseRunsAgain) {
    WorkerReport report = Listed(4);
    Passes(report, 0);
    Passes(report, 1);
    report.TakeLine("begin 2");
    report.TakeLine("late 0 wrote into the selection record (byte 4) after that call had returned");
    const Settled settled = Settle(report, kSegmentationFault);
    ASSERT_EQ(settled.result.cases.size(), 2u);
    EXPECT_FALSE(settled.result.cases[0].passed);
    EXPECT_EQ(settled.result.cases[0].seen,
              "later, while case 2 ran, the module wrote into the selection record (byte 4) after "
              "that call had returned; the host ended: killed by signal 11 (SIGSEGV)");
    EXPECT_TRUE(settled.result.cases[1].passed);
    EXPECT_EQ(settled.next, 2u);
}

TEST(WorkerAccount, AFaultTracedToTheRunningCaseIsItsOwn) {
    WorkerReport report = Listed(2);
    report.TakeLine("begin 0");
    report.TakeLine("late 0 wrote into the word (byte 0) after that call had returned");
    const Settled settled = Settle(report, kSegmentationFault);
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module wrote into the word (byte 0) after that call had returned");
    EXPECT_EQ(settled.next, 1u);
}

TEST(WorkerAccount, ACaseThatHungStopsTheCheckNamingTheCasesNotRun) {
    WorkerReport report = Listed(4);
    Passes(report, 0);
    report.TakeLine("begin 1");
    report.TakeOutput("working\n", 8);
    const Settled settled = Settle(report, kStopped);
    EXPECT_FALSE(settled.next);
    EXPECT_TRUE(settled.result.hung);
    EXPECT_EQ(settled.result.cases[1].seen,
              "the module did not end the case within 10 s, so the host stopped it");
    EXPECT_EQ(settled.result.cases[1].printed, "working");
    EXPECT_EQ(settled.result.trouble, "the check stopped at the case that hung: 2 cases not run");
    EXPECT_EQ(settled.result.notRun, (std::vector<std::string>{"number=2", "number=3"}));
}

TEST(WorkerAccount, TheRunsTimeLimitStopsTheCheckAndSaysSo) {
    WorkerReport report = Listed(2);
    report.TakeLine("begin 0");
    const Settled settled = Settle(report, kStopped, true);
    EXPECT_TRUE(settled.result.outOfTime);
    EXPECT_EQ(settled.result.cases[0].seen, "stopped: the run's time limit of 900 s was reached");
    EXPECT_EQ(settled.result.trouble, "the run's time limit was reached: 1 case not run");
}

TEST(WorkerAccount, AWorkerThatNeverListedItsCasesSaysWhatBecameOfIt) {
    WorkerReport report(std::chrono::seconds(10));
    report.TakeOutput("oops\n", 5);
    report.TakeLine("crash crashed the host during its loading: signal 11 (SIGSEGV)");
    const Settled settled = Settle(report, kSegmentationFault);
    EXPECT_FALSE(settled.next);
    EXPECT_EQ(settled.result.trouble,
              "the worker ended before it listed the cases: the module crashed the host during "
              "its loading: signal 11 (SIGSEGV); the host ended: killed by signal 11 (SIGSEGV) (it "
              "printed: oops)");
}

TEST(WorkerAccount, ALaterWorkerCountsItsCasesFromItsFirst) {
    WorkerReport report = Listed(3, 2);
    Passes(report, 2);
    report.TakeLine("done");
    const Settled settled = Settle(report, kExitedCleanly);
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_EQ(settled.result.cases[0].number, 2u);
    EXPECT_EQ(settled.result.cases[0].workerFrom, 2u);
    EXPECT_EQ(settled.result.trouble, "");
}

TEST(WorkerReport, MalformedLinesCountForNothingAndAreHeldAgainstTheCase) {
    WorkerReport report = Listed(1);
    report.TakeLine("begin 0");
    for (const char *line : {"pass", "pass x", "pass -1", "begin 99999999999", "cases many", ""}) {
        report.TakeLine(line);
    }
    report.TakeLine("pass 0");
    report.TakeLine("done");
    const Settled settled = Settle(report, kExitedCleanly);
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_FALSE(settled.result.cases[0].passed);
    EXPECT_NE(settled.result.cases[0].seen.find(
                  "the module put a line out of its turn onto the host's private report channel: "
                  "'pass x'"),
              std::string::npos)
        << settled.result.cases[0].seen;
}

// A module that finds the channel's number and writes results onto it.
TEST(WorkerReport, TakesOnlyLinesWithTheKeyAndFailsTheCaseThatOthersCameIn) {
    WorkerReport report(std::chrono::seconds(10), "k3y");
    for (const char *line : {"k3y cases 2", "k3y case 0 number=0", "k3y case 1 number=1",
                             "k3y runs 0 2", "k3y begin 0", "pass 0", "pass 1", "k3ypass 0",
                             "k3y pass 0", "k3y begin 1", "k3y pass 1", "k3y done"}) {
        report.TakeLine(line);
    }
    const Settled settled = Settle(report, kExitedCleanly);
    ASSERT_EQ(settled.result.cases.size(), 2u);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module wrote onto the host's private report channel: 'pass 0'; the module "
              "wrote onto the host's private report channel: 'pass 1'; the module wrote onto the "
              "host's private report channel: 'k3ypass 0'");
    EXPECT_TRUE(settled.result.cases[1].passed);
}

// Each case ends once, after it began, in the order the worker runs them.
TEST(WorkerReport, TakesAResultOnlyForTheCaseThatBeganAndOnlyOnce) {
    WorkerReport report = Listed(3);
    report.TakeLine("pass 2");
    report.TakeLine("begin 1");
    Passes(report, 0);
    report.TakeLine("fail 0 again");
    report.TakeLine("begin 2");
    const Settled settled = Settle(report, kSegmentationFault);
    EXPECT_EQ(settled.result.trouble,
              "before its first case, the module put a line out of its turn onto the host's "
              "private report channel: 'pass 2'; before its first case, the module put a line out "
              "of its turn onto the host's private report channel: 'begin 1'");
    ASSERT_EQ(settled.result.cases.size(), 1u);
    const CaseResult &first = settled.result.cases[0];
    EXPECT_EQ(first.number, 0u);
    EXPECT_NE(first.seen.find("'fail 0 again'; "), std::string::npos) << first.seen;
    EXPECT_NE(first.seen.find("'begin 2'"), std::string::npos) << first.seen;
    ASSERT_TRUE(settled.next);
    EXPECT_EQ(*settled.next, 1u) << "case 1 never began";
}

TEST(WorkerReport, HoldsWhatTheModuleDidToTheValidatorAgainstTheCaseRunning) {
    WorkerReport report = Listed(2);
    report.TakeMisdeed("sent signal 10 (SIGUSR1) to the program that started the host");
    Passes(report, 0);
    report.TakeMisdeed("sent signal 15 (SIGTERM) to \x1b[2Kthe program that started the host");
    Passes(report, 1);
    report.TakeLine("done");
    const Settled settled = Settle(report, kExitedCleanly);
    EXPECT_EQ(settled.result.trouble,
              "before its first case, the module sent signal 10 (SIGUSR1) to the program that "
              "started the host");
    ASSERT_EQ(settled.result.cases.size(), 2u);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module sent signal 15 (SIGTERM) to ?[2Kthe program that started the host");
    EXPECT_TRUE(settled.result.cases[1].passed);
}

TEST(WorkerAccount, AClosedChannelIsSaidAsSuch) {
    WorkerReport report = Listed(2);
    report.TakeLine("begin 0");
    const Settled settled = Settle(report, {true, 87, false, "exit status 87"});
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_EQ(settled.result.cases[0].seen,
              "the module closed the host's descriptors, its private report channel among them: "
              "the host could report nothing more");
}

TEST(WorkerAccount, ProcessesThatOutlivedTheWorkerFailTheLastCase) {
    WorkerReport report = Listed(1);
    Passes(report, 0);
    report.TakeLine("done");
    ChildEnd end = kExitedCleanly;
    end.outlived = 2;
    const Settled settled = Settle(report, end);
    ASSERT_EQ(settled.result.cases.size(), 1u);
    EXPECT_EQ(settled.result.cases[0].seen,
              "after it, the module started 2 processes that left the host's process group and "
              "outlived the host, ended then");
}

TEST(Printable, MarksWhatATerminalWouldActOn) {
    EXPECT_EQ(Printable("plain text, ünïcødé Ω 𝄞"), "plain text, ünïcødé Ω 𝄞");
    EXPECT_EQ(Printable("\x1b[2K\rFAIL\x07\x7f"), "?[2K?FAIL??");
    EXPECT_EQ(Printable("tab\there"), "tab here");
    // C1 controls, a lone continuation byte, an overlong '/', a surrogate,
    // a cut character.
    EXPECT_EQ(Printable("\xc2\x9b"
                        "2J \x9b \xc0\xaf \xed\xa0\x80 \xe2\x82"),
              "?2J ? ?? ??? ??");
    // What turns the text's direction: the reversing override and the
    // isolates.
    EXPECT_EQ(Printable("a\xe2\x80\xae"
                        "b\xe2\x81\xa6"
                        "c\xe2\x80\x94"),
              "a?b?c\xe2\x80\x94");
}

// Deadlines are compared with the time around their making: no waiting.
TEST(WorkerReport, AShortCaseLimitLeavesTheWorkersStartTheDefaultLimit) {
    const Clock::time_point before = Clock::now();
    WorkerReport report(std::chrono::seconds(2));
    EXPECT_GE(report.Deadline(), before + kDefaultCaseLimit);
    report.TakeLine("cases 1");
    report.TakeLine("runs 0 1");
    EXPECT_GE(report.Deadline(), before + kDefaultCaseLimit) << "listing is part of the start";
    report.TakeLine("begin 0");
    EXPECT_LE(report.Deadline(), Clock::now() + std::chrono::seconds(2));
    report.TakeLine("pass 0");
    EXPECT_LE(report.Deadline(), Clock::now() + std::chrono::seconds(2));
}

TEST(WorkerReport, ALongCaseLimitIsTheWorkersStartsToo) {
    const Clock::time_point before = Clock::now();
    const WorkerReport report(std::chrono::seconds(60));
    EXPECT_GE(report.Deadline(), before + std::chrono::seconds(60));
}

TEST(KeptOutput, KeepsTheFirstAndLastBytesOfMuchOutputOnOneLine) {
    KeptOutput kept;
    const std::string chunk(65536, 'x');
    kept.Take("start\n", 6);
    for (int i = 0; i < 256; ++i) kept.Take(chunk.data(), chunk.size());
    kept.Take("\r\nthe end\n", 10);
    const std::string text = kept.Text();
    EXPECT_LT(text.size(), 2 * KeptOutput::kKeptEachEnd + 64);
    EXPECT_EQ(text.rfind("start / xxx", 0), 0u) << text;
    EXPECT_NE(text.find(" [... 16777232 bytes in all ...] "), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 13), "xxx / the end");
}

TEST(KeptOutput, KeepsNoMoreOfManySmallWritesThanTheirEnds) {
    KeptOutput kept;
    for (int i = 0; i < 10000; ++i) kept.Take("ab", 2);
    const std::string text = kept.Text();
    EXPECT_EQ(text.size(),
              2 * KeptOutput::kKeptEachEnd + std::string(" [... 20000 bytes in all ...] ").size());
}

TEST(KeptOutput, KeepsShortOutputWholeAndMarksControlBytes) {
    KeptOutput kept;
    kept.Take("a\tb\x01", 4);
    kept.Take("c\n", 2);
    EXPECT_EQ(kept.Text(), "a b?c");
    EXPECT_TRUE(KeptOutput().Text().empty());
}

}  // namespace
