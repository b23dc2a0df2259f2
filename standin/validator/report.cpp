#include "standin/validator/report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

// Failed cases a text report shows of one check; JSON has them all.
constexpr std::size_t kShownFailures = 3;
constexpr int kNameWidth = 22;

std::string CaseName(const Check &check, const std::string &parameters) {
    return check.name + std::string(":") + parameters;
}

struct Totals {
    std::size_t checks = 0, passed = 0, cases = 0, failedCases = 0;
};

Totals Count(const std::vector<CheckResult> &results, const std::vector<const Check *> &notRun) {
    Totals totals;
    totals.checks = results.size() + notRun.size();
    for (const CheckResult &result : results) {
        totals.passed += result.Passed() ? 1 : 0;
        totals.cases += result.cases.size();
        totals.failedCases += result.FailedCases();
    }
    return totals;
}

std::string Padded(const std::string &text, int width) {
    return text.size() >= static_cast<std::size_t>(width)
               ? text + " "
               : text + std::string(width - text.size(), ' ');
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

std::string ReplayCommand(const ReportHeading &heading, const Check &check,
                          const std::string &parameters) {
    std::string line = QuoteArgument(heading.program);
    for (const std::string &argument :
         {std::string("validate"), heading.module, std::string("--seed"),
          std::to_string(heading.seed), std::string("--case"), CaseName(check, parameters),
          std::string("--trace"), std::string("-")}) {
        line += " " + QuoteArgument(argument);
    }
    return line;
}

void WriteTextReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<const Check *> &notRun, std::ostream &out) {
    out << "validate " << heading.module << ": " << heading.scope << ", seed " << heading.seed
        << "\n";
    for (const CheckResult &result : results) {
        const Check &check = *result.check;
        out << (result.Passed() ? "pass " : "FAIL ") << check.level << " "
            << Padded(check.name, kNameWidth) << check.title << " (" << result.cases.size()
            << (result.cases.size() == 1 ? " case" : " cases");
        if (result.FailedCases() > 0) out << ", " << result.FailedCases() << " failed";
        out << ")\n";
        if (!result.trouble.empty()) out << "        " << result.trouble << "\n";
        std::size_t shown = 0;
        for (const CaseResult &ended : result.cases) {
            if (ended.passed) {
                for (const std::string &note : ended.notes) out << "        " << note << "\n";
                continue;
            }
            if (++shown > kShownFailures) continue;
            out << "        " << CaseName(check, ended.parameters) << ": " << ended.seen << "\n"
                << "          replay: " << ReplayCommand(heading, check, ended.parameters) << "\n";
        }
        if (shown > kShownFailures) {
            out << "        and " << shown - kShownFailures << " more failed cases\n";
        }
    }
    for (const Check *check : notRun) {
        out << "FAIL " << check->level << " " << Padded(check->name, kNameWidth) << check->title
            << " (not run: the module does not load with its seven entry points)\n";
    }
    const Totals totals = Count(results, notRun);
    out << "summary: " << totals.checks << " checks, " << totals.passed << " passed, "
        << totals.checks - totals.passed << " failed; " << totals.cases << " cases, "
        << totals.failedCases << " failed; seed " << heading.seed << "; "
        << Seconds(heading.seconds) << "\n";
}

void WriteJsonReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<const Check *> &notRun, std::ostream &out) {
    using Json = nlohmann::ordered_json;
    Json checks = Json::array();
    for (const CheckResult &result : results) {
        const Check &check = *result.check;
        Json failures = Json::array(), notes = Json::array();
        for (const CaseResult &ended : result.cases) {
            for (const std::string &note : ended.notes) {
                notes.push_back({{"case", CaseName(check, ended.parameters)}, {"note", note}});
            }
            if (ended.passed) continue;
            failures.push_back({{"case", CaseName(check, ended.parameters)},
                                {"seen", ended.seen},
                                {"replay", ReplayCommand(heading, check, ended.parameters)}});
        }
        checks.push_back({{"level", check.level},
                          {"check", check.name},
                          {"title", check.title},
                          {"result", result.Passed() ? "pass" : "fail"},
                          {"cases", result.cases.size()},
                          {"failedCases", result.FailedCases()},
                          {"trouble", result.trouble},
                          {"failures", failures},
                          {"notes", notes}});
    }
    for (const Check *check : notRun) {
        checks.push_back({{"level", check->level},
                          {"check", check->name},
                          {"title", check->title},
                          {"result", "not run"},
                          {"cases", 0},
                          {"failedCases", 0},
                          {"trouble", "the module does not load with its seven entry points"},
                          {"failures", Json::array()},
                          {"notes", Json::array()}});
    }
    const Totals totals = Count(results, notRun);
    const Json report{{"module", heading.module},
                      {"level", heading.level},
                      {"scope", heading.scope},
                      {"seed", heading.seed},
                      {"checks", checks},
                      {"summary",
                       {{"checks", totals.checks},
                        {"passed", totals.passed},
                        {"failed", totals.checks - totals.passed},
                        {"cases", totals.cases},
                        {"failedCases", totals.failedCases},
                        {"seconds", heading.seconds}}}};
    // What a module printed or threw may be any bytes: what is not UTF-8
    // is replaced rather than refused.
    out << report.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace standin::validator
