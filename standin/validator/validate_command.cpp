#include "standin/validator/validate_command.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>

#include "standin/output_files.h"
#include "standin/plugin.h"
#include "standin/text_output.h"
#include "standin/validator/report.h"
#include "standin/validator/runner.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker.h"

namespace standin::validator {
namespace {

constexpr int kAllPassed = 0;
constexpr int kSomeFailed = 1;

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
    std::optional<std::string> onlyCase;  // its parameters
};

Selected SelectChecks(const ValidateRequest &request) {
    Selected selected;
    if (!request.onlyCase.empty()) {
        const CaseId id = CaseId::Parse(request.onlyCase);
        selected.checks.push_back(&NamedCheck(id.check));
        selected.onlyCase = id.parameters.ToString();
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

void RequireSound(const ValidateRequest &request) {
    if (request.level < kLowestLevel || request.level > kHighestLevel) {
        throw UsageError("level " + std::to_string(request.level) + " is not a level (1 to 5)");
    }
    if (request.format != "text" && request.format != "json") {
        throw UsageError("format '" + request.format + "' is not text or json");
    }
    if (!request.check.empty() && !request.onlyCase.empty()) {
        throw UsageError("--check and --case both choose what runs: give one");
    }
    if (!request.trace.empty() && request.onlyCase.empty()) {
        throw UsageError("--trace needs --case: it shows the host calls of one case");
    }
    if (IsStandardOutput(request.trace) && request.format == "json") {
        throw UsageError(
            "--trace - would mix the calls into the JSON report; write them to a file");
    }
    if (!std::ifstream(request.module, std::ios::binary).good()) {
        throw UsageError("no plug-in module at '" + request.module + "'");
    }
}

}  // namespace

int Validate(const ValidateRequest &request, const Streams &streams) {
    const uint32_t seed = request.seed.empty() ? NewSeed() : ParseWord(request.seed, "seed");
    if (!request.worker.empty()) {
        WorkerRequest work{request.module, seed,         request.worker,
                           request.from,   std::nullopt, !request.trace.empty()};
        if (!request.onlyCase.empty()) {
            work.onlyCase = CaseId::Parse(request.onlyCase).parameters.ToString();
        }
        RunWorker(work, streams.out);
    }
    RequireSound(request);
    const Selected selected = SelectChecks(request);
    std::vector<Output> outputs;
    if (!request.trace.empty()) outputs.push_back({"--trace", request.trace});
    CheckOutputs(outputs, {{"the plug-in module", request.module}});

    const auto start = std::chrono::steady_clock::now();
    RunnerSettings settings;
    settings.program = OwnProgramPath();
    settings.module = request.module;
    settings.seed = seed;
    settings.trace = !request.trace.empty();
    std::vector<CheckResult> results;
    std::vector<const Check *> notRun;
    bool loads = true;
    for (const Check *check : selected.checks) {
        if (!loads) {
            notRun.push_back(check);
            continue;
        }
        results.push_back(RunCheck(*check, settings, selected.onlyCase));
        // Nothing else can run on a module that does not load.
        loads = std::string(check->name) != "exports" || results.back().Passed();
    }
    ReportHeading heading{
        request.program, request.module, request.level,
        !request.onlyCase.empty() ? "case " + request.onlyCase
        : !request.check.empty()  ? "check " + request.check
                                  : "levels 1 to " + std::to_string(request.level),
        seed, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    std::ostringstream report;
    if (request.format == "json") {
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
