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
#include "standin/validator/worker.h"

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

uint32_t SeedOf(const ValidateRequest &request) {
    if (!request.seed) return NewSeed();
    return ParseWord(*request.seed, "seed");
}

}  // namespace

int Validate(const ValidateRequest &request, const Streams &streams) {
    const uint32_t seed = SeedOf(request);
    if (!request.worker.empty()) {
        WorkerRequest work{request.module, seed,         request.worker,        request.channel,
                           std::nullopt,   request.from, !request.trace.empty()};
        if (!request.onlyCase.empty()) {
            work.onlyCase = CaseId::Parse(request.onlyCase).parameters.ToString();
        }
        RunWorker(work);
    }
    const ReportFormat format = RequireSound(request);
    const Selected selected = SelectChecks(request);
    std::vector<Output> outputs;
    if (!request.trace.empty()) outputs.push_back({"--trace", request.trace});
    VetOutputs(outputs, {{"the plug-in module", request.module}});
    RunnerSettings settings;
    settings.program = OwnProgramPath();
    RequireHostsLacking(settings.program, selected.checks);

    const auto start = Clock::now();
    settings.module = request.module;
    settings.seed = seed;
    settings.trace = !request.trace.empty();
    settings.caseLimit = std::chrono::seconds(request.caseLimit);
    settings.runLimit = std::chrono::seconds(request.runLimit);
    settings.runDeadline = start + settings.runLimit;
    std::vector<CheckResult> results;
    std::vector<CheckNotRun> notRun;
    std::string stopped;  // why no more checks run
    for (const Check *check : selected.checks) {
        if (!stopped.empty()) {
            notRun.push_back({check, stopped});
            continue;
        }
        results.push_back(RunCheck(*check, settings, selected.choice));
        CheckResult &result = results.back();
        if (!selected.choice.onlyCase) ConfirmReproductions(result, settings);
        // Nothing else can run on a module that does not load, nor once the
        // run's time is up.
        if (std::string(check->name) == "exports" && !result.Passed()) {
            stopped = "the module does not load with its seven entry points";
        } else if (result.outOfTime || Clock::now() >= settings.runDeadline) {
            stopped =
                "the run's time limit of " + std::to_string(request.runLimit) + " s was reached";
        }
    }
    ReportHeading heading{
        request.program,
        request.module,
        request.level,
        !request.onlyCase.empty()
            ? "case " + request.onlyCase +
                  (request.from ? " after the cases from " + std::to_string(*request.from) : "")
        : !request.check.empty() ? "check " + request.check
                                 : "levels 1 to " + std::to_string(request.level),
        seed,
        std::chrono::duration<double>(Clock::now() - start).count(),
        request.caseLimit,
        request.runLimit,
        Containment()};
    std::ostringstream report;
    if (format == ReportFormat::Json) {
        WriteJsonReport(heading, results, notRun, report);
    } else {
        WriteTextReport(heading, results, notRun, report);
    }
    std::string calls;
    for (const CheckResult &result : results) calls += result.calls;
    if (IsStandardOutput(request.trace)) {
        streams.out << report.str() << calls;
    } else {
        streams.out << report.str();
        if (!outputs.empty()) WriteOutputs(outputs, {calls}, streams.out);
    }
    bool passed = notRun.empty();
    for (const CheckResult &result : results) passed = passed && result.Passed();
    return passed ? kAllPassed : kSomeFailed;
}

}  // namespace standin::validator
