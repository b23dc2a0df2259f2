// The report: three failed cases of a check at the most in text, each with
// its replay line, notes only of cases that passed; JSON with every failure,
// whatever bytes a module put into what was seen.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "standin/validator/report.h"

namespace {

using namespace standin::validator;

const ReportHeading kHeading{"FINALE.EXE", "m.fxt", 2, "levels 1 to 2", 7, 0.5};

CheckResult FailedCases(int failed) {
    CheckResult result;
    result.check = FindCheck("commands-selection");
    result.cases.push_back({"command=0,document=short,selection=all", true, "", {"it measured"}});
    for (int i = 1; i <= failed; ++i) {
        result.cases.push_back({"command=" + std::to_string(i), false, "saw \xFF" + std::to_string(i),
                                {"not shown"}});
    }
    return result;
}

TEST(ValidationReport, TextShowsThreeFailuresWithTheirReplayAndCountsTheRest) {
    std::ostringstream out;
    WriteTextReport(kHeading, {FailedCases(5)}, {}, out);
    const std::string text = out.str();
    EXPECT_NE(text.find("FAIL 2 commands-selection    "), std::string::npos) << text;
    EXPECT_NE(text.find("(6 cases, 5 failed)"), std::string::npos);
    EXPECT_NE(text.find("        commands-selection:command=3: saw \xFF" "3\n"
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

TEST(ValidationReport, JsonHasEveryFailureAndReplacesBytesThatAreNotUtf8) {
    std::ostringstream out;
    WriteJsonReport(kHeading, {FailedCases(5)}, {FindCheck("init")}, out);
    const auto report = nlohmann::json::parse(out.str());
    EXPECT_EQ(report["checks"][0]["failures"].size(), 5u);
    EXPECT_EQ(report["checks"][0]["failures"][4]["seen"], "saw \xEF\xBF\xBD" "5");
    EXPECT_EQ(report["checks"][1]["result"], "not run");
    EXPECT_EQ(report["summary"]["failed"], 2);
    EXPECT_EQ(report["summary"]["failedCases"], 5);
}

}  // namespace
