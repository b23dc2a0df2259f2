// The report: three failed cases of a check at the most in text, each with
// what the module printed and the replay line that makes it fail again,
// notes only of cases that passed, the cases that never ran; JSON with every
// failure, whatever bytes a module put into what was seen.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "standin/validator/checks.h"
#include "standin/validator/report.h"

namespace {

using namespace standin::validator;

const ReportHeading kHeading{"FINALE.EXE", "m.fxt", 2, "levels 1 to 2", 7, 0.5, 10, 900, ""};

CaseResult Case(std::size_t number, bool passed, const std::string &seen,
                std::vector<std::string> notes = {}) {
    CaseResult result;
    result.parameters = "command=" + std::to_string(number);
    result.number = number;
    result.passed = passed;
    result.seen = seen;
    result.notes = std::move(notes);
    return result;
}

CheckResult FailedCases(int failed) {
    CheckResult result;
    result.check = FindCheck("commands-selection");
    result.cases.push_back(Case(0, true, "", {"it measured"}));
    for (int i = 1; i <= failed; ++i) {
        result.cases.push_back(Case(i, false, "saw \xFF" + std::to_string(i), {"not shown"}));
    }
    return result;
}

std::string Text(const std::vector<CheckResult> &results,
                 const std::vector<CheckNotRun> &notRun = {}) {
    std::ostringstream out;
    WriteTextReport(kHeading, results, notRun, out);
    return out.str();
}

TEST(ValidationReport, TextShowsThreeFailuresWithTheirReplayAndCountsTheRest) {
    const std::string text = Text({FailedCases(5)});
    EXPECT_EQ(text.rfind("validate m.fxt: levels 1 to 2, seed 7; each case within 10 s, the run "
                         "within 900 s\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("FAIL 2 commands-selection    "), std::string::npos) << text;
    EXPECT_NE(text.find("(6 cases, 5 failed)"), std::string::npos);
    EXPECT_NE(text.find("        commands-selection:command=3: saw \xFF"
                        "3\n"
                        "          replay: FINALE.EXE validate m.fxt --seed 7 --case "
                        "commands-selection:command=3 --trace -\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("command=4:"), std::string::npos);
    EXPECT_NE(text.find("        and 2 more failed cases\n"), std::string::npos);
    EXPECT_NE(text.find("        it measured\n"), std::string::npos);
    EXPECT_EQ(text.find("not shown"), std::string::npos);
    EXPECT_NE(text.find("summary: 1 checks, 0 passed, 1 failed; 6 cases, 5 failed; seed 7; 0.5 s"),
              std::string::npos);
}

TEST(ValidationReport, AFailureThatNeedsItsEarlierCasesIsReplayedWithThem) {
    CheckResult result = FailedCases(0);
    CaseResult needsEarlier = Case(3, false, "the module crashed the host");
    needsEarlier.workerFrom = 1;
    needsEarlier.reproduction = Reproduction::AfterEarlier;
    needsEarlier.printed = "it said hello";
    CaseResult flaky = Case(4, false, "wrote past the record");
    flaky.workerFrom = 4;
    flaky.reproduction = Reproduction::NotAgain;
    result.cases = {needsEarlier, flaky};
    const std::string text = Text({result});
    EXPECT_NE(text.find("        commands-selection:command=3: the module crashed the host\n"
                        "          it printed: it said hello\n"
                        "          alone it passes; it fails again after cases 1 to 2 of the "
                        "check in one process\n"
                        "          replay: FINALE.EXE validate m.fxt --seed 7 --case "
                        "commands-selection:command=3 --from 1 --trace -\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("          it did not fail again when run alone: it may depend on timing\n"
                        "          replay: FINALE.EXE validate m.fxt --seed 7 --case "
                        "commands-selection:command=4 --trace -\n"),
              std::string::npos)
        << text;
}

TEST(ValidationReport, CasesThatNeverRanAreCountedAndTheFirstNamed) {
    CheckResult result = FailedCases(1);
    result.trouble = "the check stopped at the case that hung: 2 cases not run";
    result.notRun = {"command=2", "command=3"};
    const std::string text = Text({result}, {{FindCheck("commands-no-selection"), "no time"}});
    EXPECT_NE(text.find("(2 cases, 1 failed, 2 not run)\n"
                        "        the check stopped at the case that hung: 2 cases not run\n"
                        "          not run: commands-selection:command=2 and 1 more\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("FAIL 2 commands-no-selection "), std::string::npos);
    EXPECT_NE(text.find("(not run: no time)\n"), std::string::npos);
    EXPECT_NE(text.find("summary: 2 checks, 0 passed, 2 failed; 2 cases, 1 failed, 2 not run;"),
              std::string::npos)
        << text;
}

TEST(ValidationReport, JsonHasEveryFailureAndReplacesBytesThatAreNotUtf8) {
    std::ostringstream out;
    CheckResult result = FailedCases(5);
    result.notRun = {"command=9"};
    result.cases[1].reproduction = Reproduction::Alone;
    WriteJsonReport(kHeading, {result},
                    {{FindCheck("init"), "the module does not load with its seven entry points"}},
                    out);
    const auto report = nlohmann::json::parse(out.str());
    const auto &failures = report["checks"][0]["failures"];
    EXPECT_EQ(failures.size(), 5u);
    EXPECT_EQ(failures[4]["seen"],
              "saw \xEF\xBF\xBD"
              "5");
    EXPECT_EQ(failures[0]["reproduced"], "alone");
    EXPECT_EQ(failures[1]["reproduced"], "not tried");
    EXPECT_EQ(report["checks"][0]["notRun"][0], "commands-selection:command=9");
    EXPECT_EQ(report["checks"][1]["result"], "not run");
    EXPECT_EQ(report["summary"]["failed"], 2);
    EXPECT_EQ(report["summary"]["failedCases"], 5);
    EXPECT_EQ(report["summary"]["notRun"], 1);
    EXPECT_EQ(report["caseLimit"], 10);
}

// Whether a check holds for any module or expects what this plug-in does is
// in both reports, so that a run on another module is read for what it is.
TEST(ValidationReport, MarksTheChecksThatKnowThisPlugin) {
    CheckResult knowing, generic;
    knowing.check = FindCheck("random-documents");
    generic.check = FindCheck("exports");
    const std::string text = Text({knowing, generic});
    EXPECT_NE(text.find("pass 5 random-documents      [knows this plug-in] random documents"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("pass 1 exports               the module loads"), std::string::npos)
        << text;
    std::ostringstream out;
    WriteJsonReport(kHeading, {knowing}, {{generic.check, "no time"}}, out);
    const auto report = nlohmann::json::parse(out.str());
    EXPECT_EQ(report["checks"][0]["holdsFor"], "this plug-in");
    EXPECT_EQ(report["checks"][1]["holdsFor"], "any module");
}

}  // namespace

// The report lists the checks in the catalog's order: levels rising, each
// level's checks as its files add them, none lost or listed twice.
TEST(CheckCatalog, ListsEveryLevelInOrderWithTheLongChecksLast) {
    std::map<int, std::vector<std::string>> byLevel;
    std::set<std::string> names;
    int previous = kLowestLevel;
    for (const Check &check : AllChecks()) {
        EXPECT_GE(check.level, previous) << check.name;
        previous = check.level;
        EXPECT_TRUE(names.insert(check.name).second) << check.name << " is listed twice";
        byLevel[check.level].push_back(check.name);
    }
    for (int level = kLowestLevel; level <= kHighestLevel; ++level) {
        EXPECT_FALSE(byLevel[level].empty()) << "level " << level;
    }
    EXPECT_EQ(byLevel[kHighestLevel],
              (std::vector<std::string>{"identical-runs", "random-documents", "repeated-invokes",
                                        "command-time"}));
}
