#include "standin/validator/report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "standin/validator/threat_model.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

// Failed cases a text report shows of one check; JSON has them all.
constexpr std::size_t kShownFailures = kConfirmedReproductions;
constexpr int kNameWidth = 22;

std::string CaseName(const Check &check, const std::string &parameters) {
    return check.name + std::string(":") + parameters;
}

struct Totals {
    std::size_t checks = 0, passed = 0, cases = 0, failedCases = 0, notRun = 0;
};

Totals Count(const std::vector<CheckResult> &results, const std::vector<CheckNotRun> &notRun) {
    Totals totals;
    totals.checks = results.size() + notRun.size();
    for (const CheckResult &result : results) {
        totals.passed += result.Passed() ? 1 : 0;
        totals.cases += result.cases.size();
        totals.failedCases += result.FailedCases();
        totals.notRun += result.notRun.size();
    }
    return totals;
}

std::string Padded(const std::string &text, int width) {
    return text.size() >= static_cast<std::size_t>(width)
               ? text + " "
               : text + std::string(width - text.size(), ' ');
}

// A check that expects what this plug-in does says so before its title: a
// sound module of another kind may fail it.
std::string MarkedTitle(const Check &check) {
    const std::string mark = check.holdsFor == HoldsFor::ThisPlugin ? "[knows this plug-in] " : "";
    return mark + check.title;
}

const char *HoldsForWords(HoldsFor holdsFor) {
    return holdsFor == HoldsFor::ThisPlugin ? "this plug-in" : "any module";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string CaseCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " case" : " cases");
}

// "cases 0 to 2", or "case 0".
std::string CasesBefore(const CaseResult &failed) {
    const std::size_t last = failed.number - 1;
    return failed.workerFrom == last
               ? "case " + std::to_string(last)
               : "cases " + std::to_string(failed.workerFrom) + " to " + std::to_string(last);
}

// What the case ran from the module's menus: "command 1 on the short
// document", or the case itself when it names no command.
std::string OfferedThing(const CaseResult &failed) {
    const CaseParameters parameters = CaseParameters::Parse(failed.parameters);
    if (!parameters.Has("command")) return "the case";
    return "command " + std::to_string(parameters.Number("command")) +
           (parameters.Has("document") ? " on the " + parameters.Text("document") + " document"
                                       : "");
}

// What running the case again showed, when it is worth saying.
std::string ReproductionNote(const CaseResult &failed) {
    switch (failed.reproduction) {
        case Reproduction::AfterEarlier:
            return "alone it passes; it fails again after " + CasesBefore(failed) +
                   " of the check in one process";
        case Reproduction::NotAgain:
            return "it did not fail again when run alone" +
                   (failed.workerFrom < failed.number ? " or after " + CasesBefore(failed) : "") +
                   ": it may depend on timing";
        case Reproduction::WithLater:
            return "alone it passes; it fails again with the cases after it up to the one that "
                   "showed the fault, in one process";
        case Reproduction::NotOffered:
            return "run again, the module did not offer " + OfferedThing(failed) +
                   " in that process, though it had in the one the case failed in: its menus "
                   "differ between processes, and the replay fails only in a process where it "
                   "offers it";
        case Reproduction::NotTried:
        case Reproduction::Alone:
            break;
    }
    return {};
}

const char *ReproductionWord(Reproduction reproduction) {
    switch (reproduction) {
        case Reproduction::Alone:
            return "alone";
        case Reproduction::AfterEarlier:
            return "after earlier cases";
        case Reproduction::WithLater:
            return "with later cases";
        case Reproduction::NotAgain:
            return "no";
        case Reproduction::NotOffered:
            return "not offered";
        case Reproduction::NotTried:
            break;
    }
    return "not tried";
}

}  // namespace

std::string ReplayCommand(const ReportHeading &heading, const Check &check,
                          const CaseResult &failed) {
    std::vector<std::string> arguments{"validate", heading.module,
                                       "--seed",   std::to_string(heading.seed),
                                       "--case",   CaseName(check, failed.parameters)};
    if (failed.reproduction == Reproduction::AfterEarlier) {
        arguments.insert(arguments.end(), {"--from", std::to_string(failed.workerFrom)});
    }
    if (failed.reproduction == Reproduction::WithLater) {
        arguments[5] = CaseName(check, failed.seenWhile);
        arguments.insert(arguments.end(), {"--from", std::to_string(failed.number)});
    }
    // A case that hung hangs again only as soon.
    if (heading.caseLimit != kDefaultCaseLimit.count()) {
        arguments.insert(arguments.end(), {"--case-limit", std::to_string(heading.caseLimit)});
    }
    arguments.insert(arguments.end(), {"--trace", "-"});
    std::string line = QuoteArgument(heading.program);
    for (const std::string &argument : arguments) line += " " + QuoteArgument(argument);
    return line;
}

void WriteTextReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<CheckNotRun> &notRun, std::ostream &out) {
    out << "validate " << heading.module << ": " << heading.scope << ", seed " << heading.seed
        << "; each case within " << heading.caseLimit << " s, the run within " << heading.runLimit
        << " s\n";
    if (!heading.containment.empty()) out << "workers: " << heading.containment << "\n";
    for (const CheckResult &result : results) {
        const Check &check = *result.check;
        out << (result.Passed() ? "pass " : "FAIL ") << check.level << " "
            << Padded(check.name, kNameWidth) << MarkedTitle(check) << " ("
            << CaseCount(result.cases.size());
        if (result.FailedCases() > 0) out << ", " << result.FailedCases() << " failed";
        if (!result.notRun.empty()) out << ", " << result.notRun.size() << " not run";
        out << ")\n";
        if (!result.trouble.empty()) out << "        " << result.trouble << "\n";
        if (!result.notRun.empty()) {
            out << "          not run: " << CaseName(check, result.notRun.front());
            if (result.notRun.size() > 1) out << " and " << result.notRun.size() - 1 << " more";
            out << "\n";
        }
        std::size_t shown = 0;
        for (const CaseResult &ended : result.cases) {
            if (ended.passed) {
                for (const std::string &note : ended.notes) out << "        " << note << "\n";
                continue;
            }
            if (++shown > kShownFailures) continue;
            out << "        " << CaseName(check, ended.parameters) << ": " << ended.seen << "\n";
            if (!ended.printed.empty()) out << "          it printed: " << ended.printed << "\n";
            const std::string note = ReproductionNote(ended);
            if (!note.empty()) out << "          " << note << "\n";
            out << "          replay: " << ReplayCommand(heading, check, ended) << "\n";
        }
        if (shown > kShownFailures) {
            out << "        and " << shown - kShownFailures << " more failed cases\n";
        }
    }
    for (const CheckNotRun &skipped : notRun) {
        out << "FAIL " << skipped.check->level << " " << Padded(skipped.check->name, kNameWidth)
            << MarkedTitle(*skipped.check) << " (not run: " << skipped.why << ")\n";
    }
    const Totals totals = Count(results, notRun);
    out << "summary: " << totals.checks << " checks, " << totals.passed << " passed, "
        << totals.checks - totals.passed << " failed; " << CaseCount(totals.cases) << ", "
        << totals.failedCases << " failed";
    if (totals.notRun > 0) out << ", " << totals.notRun << " not run";
    out << "; seed " << heading.seed << "; " << Seconds(heading.seconds) << "\n";
}

namespace {

using Json = nlohmann::ordered_json;

Json ThreatModelJson(const Check &check) {
    const ThreatModel model = ThreatModelOf(check.name);
    return {{"guaranteed", model.guaranteed},
            {"catches", model.catches},
            {"couldStillDo", model.couldStillDo}};
}

// A check that ran: its failed cases, with how each was reproduced and the
// line that makes it again, the cases it did not run and every case's notes.
Json CheckJson(const ReportHeading &heading, const CheckResult &result) {
    const Check &check = *result.check;
    Json failures = Json::array(), notes = Json::array(), skipped = Json::array();
    for (const CaseResult &ended : result.cases) {
        for (const std::string &note : ended.notes) {
            notes.push_back({{"case", CaseName(check, ended.parameters)}, {"note", note}});
        }
        if (ended.passed) continue;
        failures.push_back({{"case", CaseName(check, ended.parameters)},
                            {"seen", ended.seen},
                            {"printed", ended.printed},
                            {"reproduced", ReproductionWord(ended.reproduction)},
                            {"replay", ReplayCommand(heading, check, ended)}});
    }
    for (const std::string &parameters : result.notRun) {
        skipped.push_back(CaseName(check, parameters));
    }
    return {{"level", check.level},
            {"check", check.name},
            {"title", check.title},
            {"holdsFor", HoldsForWords(check.holdsFor)},
            {"result", result.Passed() ? "pass" : "fail"},
            {"cases", result.cases.size()},
            {"failedCases", result.FailedCases()},
            {"trouble", result.trouble},
            {"notRun", skipped},
            {"failures", failures},
            {"notes", notes},
            {"threatModel", ThreatModelJson(check)}};
}

// A check that could not run, in the same shape, with why.
Json NotRunJson(const CheckNotRun &skipped) {
    return {{"level", skipped.check->level},
            {"check", skipped.check->name},
            {"title", skipped.check->title},
            {"holdsFor", HoldsForWords(skipped.check->holdsFor)},
            {"result", "not run"},
            {"cases", 0},
            {"failedCases", 0},
            {"trouble", skipped.why},
            {"notRun", Json::array()},
            {"failures", Json::array()},
            {"notes", Json::array()},
            {"threatModel", ThreatModelJson(*skipped.check)}};
}

Json SummaryJson(const Totals &totals, double seconds) {
    return {{"checks", totals.checks},
            {"passed", totals.passed},
            {"failed", totals.checks - totals.passed},
            {"cases", totals.cases},
            {"failedCases", totals.failedCases},
            {"notRun", totals.notRun},
            {"seconds", seconds}};
}

}  // namespace

void WriteJsonReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<CheckNotRun> &notRun, std::ostream &out) {
    Json checks = Json::array();
    for (const CheckResult &result : results) checks.push_back(CheckJson(heading, result));
    for (const CheckNotRun &skipped : notRun) checks.push_back(NotRunJson(skipped));
    const Json report{{"module", heading.module},
                      {"level", heading.level},
                      {"scope", heading.scope},
                      {"seed", heading.seed},
                      {"caseLimit", heading.caseLimit},
                      {"runLimit", heading.runLimit},
                      {"containment", heading.containment},
                      {"checks", checks},
                      {"summary", SummaryJson(Count(results, notRun), heading.seconds)}};
    // What a module printed or threw may be any bytes: what is not UTF-8
    // is replaced rather than refused.
    out << report.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace standin::validator
