#include "standin/validator/validate_command.h"

#include <chrono>
#include <optional>
#include <sstream>

#include "standin/host/plugin.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/errors.h"
#include "standin/platform/file_access.h"
#include "standin/platform/output_files.h"
#include "standin/validator/report.h"
#include "standin/validator/runner.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

constexpr int kAllPassed = 0;
constexpr int kSomeFailed = 1;
// A day: longer would be no limit at all.
constexpr long long kLongestLimit = 86400;

std::string CheckNames() {
    std::string names;
    for (const Check &check : AllChecks()) {
        names += (names.empty() ? "" : ", ") + std::string(check.name);
    }
    return names;
}

const Check &NamedCheck(const std::string &name) {
    const Check *check = FindCheck(name);
    if (check == nullptr) {
        throw UsageError("no check '" + name + "' (the checks are: " + CheckNames() + ")");
    }
    return *check;
}

uint32_t NewSeed() {
    const auto now = std::chrono::system_clock::now().time_since_epoch().count() ^
                     std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<uint32_t>(now ^ (now >> 32));
}

struct Selected {
    std::vector<const Check *> checks;
    CaseChoice choice;
};

Selected SelectChecks(const ValidateRequest &request) {
    Selected selected;
    if (!request.onlyCase.empty()) {
        const CaseId id = CaseId::Parse(request.onlyCase);
        selected.checks.push_back(&NamedCheck(id.check));
        selected.choice = {id.parameters.ToString(), request.from};
        return selected;
    }
    if (!request.check.empty()) {
        selected.checks.push_back(&NamedCheck(request.check));
        return selected;
    }
    for (const Check &check : AllChecks()) {
        if (check.level <= request.level) selected.checks.push_back(&check);
    }
    return selected;
}

void RequireLimit(long long seconds, const char *option) {
    if (seconds < 1 || seconds > kLongestLimit) {
        throw UsageError(std::string(option) + " " + std::to_string(seconds) +
                         " is not a number of seconds from 1 to " + std::to_string(kLongestLimit));
    }
}

// Throws UsageError for a request that cannot run; gives the report's format.
ReportFormat RequireSound(const ValidateRequest &request) {
    if (request.level < kLowestLevel || request.level > kHighestLevel) {
        throw UsageError("level " + std::to_string(request.level) + " is not a level (1 to 5)");
    }
    const std::optional<ReportFormat> format = FindChoice(kReportFormats, request.format);
    if (!format) {
        throw UsageError("format '" + request.format + "' is not " +
                         ChoiceNames(kReportFormats, " or "));
    }
    if (!request.check.empty() && !request.onlyCase.empty()) {
        throw UsageError("--check and --case both choose what runs: give one");
    }
    if (!request.trace.empty() && request.onlyCase.empty()) {
        throw UsageError("--trace needs --case: it shows the host calls of one case");
    }
    if (request.from && request.onlyCase.empty()) {
        throw UsageError("--from needs --case: it runs the cases before that one with it");
    }
    if (IsStandardOutput(request.trace) && *format == ReportFormat::Json) {
        throw UsageError(
            "--trace - would mix the calls into the JSON report; write them to a file");
    }
    RequireLimit(request.caseLimit, "--case-limit");
    RequireLimit(request.runLimit, "--run-limit");
    const PathFacts module = FactsOf(request.module);
    if (!module.exists) throw UsageError("no plug-in module at '" + request.module + "'");
    if (!module.regularFile) {
        throw UsageError("'" + request.module + "' is " +
                         (module.folder ? "a folder" : "not a regular file") +
                         ", not a plug-in module");
    }
    // A file that is no module of this system is bad input, as for run; one
    // that is but does not load fails the check that loads it.
    RequireModuleOfThisPlatform(request.module);
    return *format;
}

// The host programs that each lack one function are part of the validator:
// without them the check of a host that lacks one cannot run, which is no
// fault of the module's.
void RequireHostsLacking(const std::string &program, const std::vector<const Check *> &checks) {
    for (const Check *check : checks) {
        if (!check->inHostLacking) continue;
        std::string missing;
        for (const std::string &function : HostFunctionNames()) {
            const std::string lacking = HostProgramLacking(program, function);
            if (!FactsOf(lacking).regularFile) missing += (missing.empty() ? "" : ", ") + lacking;
        }
        if (missing.empty()) continue;
        throw UsageError("the check " + std::string(check->name) +
                         " needs the host programs that lack one function each, beside this "
                         "one, and there is none at " +
                         missing +
                         " (a development build has them; run its FINALE.EXE, or choose "
                         "--level 2 or the checks to run)");
    }
}

// The trace, when asked for, is the one output besides the report; it is
// vetted before anything runs, so that a run is never wasted on it.
std::vector<Output> VettedOutputs(const ValidateRequest &request) {
    std::vector<Output> outputs;
    if (!request.trace.empty()) outputs.push_back({"--trace", request.trace});
    VetOutputs(outputs, {{"the plug-in module", request.module}});
    return outputs;
}

RunnerSettings SettingsFor(const ValidateRequest &request, const std::string &program,
                           uint32_t seed, Clock::time_point start) {
    RunnerSettings settings;
    settings.program = program;
    settings.module = request.module;
    settings.seed = seed;
    settings.trace = !request.trace.empty();
    settings.caseLimit = std::chrono::seconds(request.caseLimit);
    settings.runLimit = std::chrono::seconds(request.runLimit);
    settings.runDeadline = start + settings.runLimit;
    return settings;
}

struct Outcome {
    std::vector<CheckResult> results;
    std::vector<CheckNotRun> notRun;

    bool Passed() const {
        bool passed = notRun.empty();
        for (const CheckResult &result : results) passed = passed && result.Passed();
        return passed;
    }
};

// Why no check after `result` can run, or empty when the next can: nothing
// runs on a module that does not load, nor once the run's time is up.
std::string WhyTheRestStops(const CheckResult &result, const RunnerSettings &settings,
                            long long runLimit) {
    if (std::string(result.check->name) == "exports" && !result.Passed()) {
        return "the module does not load with its seven entry points";
    }
    if (result.outOfTime || Clock::now() >= settings.runDeadline) {
        return "the run's time limit of " + std::to_string(runLimit) + " s was reached";
    }
    return {};
}

Outcome RunChecks(const Selected &selected, const RunnerSettings &settings, long long runLimit) {
    Outcome outcome;
    std::string stopped;
    for (const Check *check : selected.checks) {
        if (!stopped.empty()) {
            outcome.notRun.push_back({check, stopped});
            continue;
        }
        outcome.results.push_back(RunCheck(*check, settings, selected.choice));
        CheckResult &result = outcome.results.back();
        if (!selected.choice.onlyCase) ConfirmReproductions(result, settings);
        stopped = WhyTheRestStops(result, settings, runLimit);
    }
    return outcome;
}

// "levels 1 to 5", "check init", "case init:word=0x00000000 after the cases
// from 0".
std::string ScopeOf(const ValidateRequest &request) {
    if (!request.onlyCase.empty()) {
        return "case " + request.onlyCase +
               (request.from ? " after the cases from " + std::to_string(*request.from) : "");
    }
    if (!request.check.empty()) return "check " + request.check;
    return "levels 1 to " + std::to_string(request.level);
}

ReportHeading HeadingOf(const ValidateRequest &request, uint32_t seed, Clock::time_point start) {
    return {request.program,
            request.module,
            request.level,
            ScopeOf(request),
            seed,
            std::chrono::duration<double>(Clock::now() - start).count(),
            request.caseLimit,
            request.runLimit,
            Containment()};
}

std::string ReportText(ReportFormat format, const ReportHeading &heading, const Outcome &outcome) {
    std::ostringstream report;
    if (format == ReportFormat::Json) {
        WriteJsonReport(heading, outcome.results, outcome.notRun, report);
    } else {
        WriteTextReport(heading, outcome.results, outcome.notRun, report);
    }
    return report.str();
}

// The report on standard output; the host calls of a traced case after it
// (--trace -) or into the trace's file.
void Deliver(const std::string &report, const Outcome &outcome, const ValidateRequest &request,
             const std::vector<Output> &outputs, const Streams &streams) {
    std::string calls;
    for (const CheckResult &result : outcome.results) calls += result.calls;
    if (IsStandardOutput(request.trace)) {
        streams.out << report << calls;
        return;
    }
    streams.out << report;
    if (!outputs.empty()) WriteOutputs(outputs, {calls}, streams.out);
}

}  // namespace

uint32_t SeedOf(const ValidateRequest &request) {
    if (!request.seed) return NewSeed();
    return ParseWord(*request.seed, "seed");
}

int Validate(const ValidateRequest &request, const Streams &streams) {
    const uint32_t seed = SeedOf(request);
    const ReportFormat format = RequireSound(request);
    const Selected selected = SelectChecks(request);
    const std::vector<Output> outputs = VettedOutputs(request);
    const std::string program = OwnProgramPath();
    RequireHostsLacking(program, selected.checks);
    const Clock::time_point start = Clock::now();
    const RunnerSettings settings = SettingsFor(request, program, seed, start);
    const Outcome outcome = RunChecks(selected, settings, request.runLimit);
    const ReportHeading heading = HeadingOf(request, seed, start);
    Deliver(ReportText(format, heading, outcome), outcome, request, outputs, streams);
    return outcome.Passed() ? kAllPassed : kSomeFailed;
}

}  // namespace standin::validator
