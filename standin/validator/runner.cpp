#include "standin/validator/runner.h"

#include <random>

#include "standin/platform/errors.h"
#include "standin/validator/worker_report.h"

namespace standin::validator {
namespace {

// After this many cases ended a worker, the module is crashing on
// everything; the rest of the check would say no more.
constexpr std::size_t kMostEndedWorkers = 5;

std::vector<std::string> WorkerArguments(const Check &check, const RunnerSettings &settings,
                                         const CaseChoice &choice) {
    std::vector<std::string> arguments{"validate", settings.module,
                                       "--seed",   std::to_string(settings.seed),
                                       "--worker", check.name};
    if (choice.onlyCase) {
        arguments.insert(arguments.end(),
                         {"--case", check.name + std::string(":") + *choice.onlyCase});
    }
    if (choice.from) arguments.insert(arguments.end(), {"--from", std::to_string(*choice.from)});
    if (settings.trace) arguments.insert(arguments.end(), {"--trace", "-"});
    return arguments;
}

// A key no module could guess, for one worker's channel.
std::string NewChannelKey() {
    static std::random_device source;
    static const char kDigits[] = "0123456789abcdef";
    std::string key;
    for (int word = 0; word < 4; ++word) {
        for (uint32_t bits = source(), digit = 0; digit < 8; ++digit, bits >>= 4) {
            key += kDigits[bits & 0xF];
        }
    }
    return key;
}

// Runs the chosen cases of `check` from `program`, a worker after another
// while cases end theirs.
void RunCases(const Check &check, const RunnerSettings &settings, const std::string &program,
              CaseChoice choice, CheckResult &result) {
    for (std::size_t endedWorkers = 0;;) {
        ChildWatch watch;
        watch.channelKey = NewChannelKey();
        WorkerReport report(settings.caseLimit, watch.channelKey);
        watch.onMisdeed = [&](const std::string &what) { report.TakeMisdeed(what); };
        watch.onReport = [&](const std::string &line) { report.TakeLine(line); };
        watch.onOutput = [&](const char *bytes, std::size_t count) {
            report.TakeOutput(bytes, count);
        };
        watch.deadline = [&] { return std::min(report.Deadline(), settings.runDeadline); };
        const ChildEnd end = RunChild(program, WorkerArguments(check, settings, choice), watch);
        if (!report.NoCase().empty()) throw UsageError(report.NoCase());
        const RunLimits limits{settings.caseLimit, settings.runLimit,
                               Clock::now() >= settings.runDeadline};
        const std::optional<std::size_t> next = WorkerAccount::Settle(report, end, limits, result);
        if (!next) return;
        if (++endedWorkers == kMostEndedWorkers) {
            for (std::size_t number = *next; number < report.Last(); ++number) {
                result.notRun.push_back(report.Parameters()[number]);
            }
            result.trouble =
                "stopped after " + std::to_string(endedWorkers) +
                " workers ended before their cases did: " + std::to_string(report.Last() - *next) +
                " cases not run";
            return;
        }
        choice.from = next;
    }
}

// The one case with `parameters` as it ran in `again`; null when it did not.
const CaseResult *Rerun(const CheckResult &again, const std::string &parameters) {
    const CaseParameters asked = CaseParameters::Parse(parameters);
    for (auto found = again.cases.rbegin(); found != again.cases.rend(); ++found) {
        if (CaseParameters::Parse(found->parameters).Matches(asked)) return &*found;
    }
    return nullptr;
}

// How a failed case went when run again.
enum class Again { Fails, Passes, NotListed };

// Runs `failed` again, from `from` when given, up to `upTo` when given: a
// later case that showed its fault.
Again RunAgain(const Check &check, const RunnerSettings &settings, const CaseResult &failed,
               std::optional<std::size_t> from, const std::string &upTo = {}) {
    try {
        const CheckResult again =
            RunCheck(check, settings, {upTo.empty() ? failed.parameters : upTo, from});
        const CaseResult *rerun = Rerun(again, failed.parameters);
        return rerun != nullptr && !rerun->passed ? Again::Fails : Again::Passes;
    } catch (const UsageError &) {
        // The worker listed the check's cases from what the module offered
        // it, and this case was not among them.
        return Again::NotListed;
    }
}

}  // namespace

bool CheckResult::Passed() const { return trouble.empty() && FailedCases() == 0; }

std::size_t CheckResult::FailedCases() const {
    std::size_t failed = 0;
    for (const CaseResult &result : cases) failed += result.passed ? 0 : 1;
    return failed;
}

std::string HostProgramLacking(const std::string &program, const std::string &function) {
    const std::size_t slash = program.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : program.substr(0, slash + 1);
    const char separator = slash == std::string::npos ? '/' : program[slash];
    const std::string name = slash == std::string::npos ? program : program.substr(slash + 1);
    return folder + "lacking" + separator + function + separator + name;
}

CheckResult RunCheck(const Check &check, const RunnerSettings &settings, const CaseChoice &choice) {
    CheckResult result;
    result.check = &check;
    if (!check.inHostLacking) {
        RunCases(check, settings, settings.program, choice, result);
        return result;
    }
    // Listed without the module: a case per host function, each in the
    // host program that lacks it, in a worker of its own.
    Workbench none({}, settings.seed);
    std::vector<CaseParameters> cases = check.listCases(none);
    if (choice.onlyCase) {
        const CaseParameters asked = CaseParameters::Parse(*choice.onlyCase);
        std::vector<CaseParameters> chosen;
        for (const CaseParameters &listed : cases) {
            if (listed.Matches(asked)) chosen.push_back(listed);
        }
        if (chosen.empty()) {
            throw UsageError("no case '" + std::string(check.name) + ":" + *choice.onlyCase +
                             "' in the check " + check.name + "; its cases are like " + check.name +
                             ":" + cases.front().ToString() + " (" + std::to_string(cases.size()) +
                             " cases)");
        }
        cases = chosen;
    }
    std::size_t skipped = 0;
    for (const CaseParameters &parameters : cases) {
        // A module that hangs in one host would hang in the next.
        if (result.hung || Clock::now() >= settings.runDeadline) {
            result.notRun.push_back(parameters.ToString());
            result.outOfTime = !result.hung;
            ++skipped;
            continue;
        }
        CheckResult one;
        one.check = &check;
        RunCases(check, settings, HostProgramLacking(settings.program, parameters.Text("function")),
                 {parameters.ToString(), std::nullopt}, one);
        result.cases.insert(result.cases.end(), one.cases.begin(), one.cases.end());
        result.notRun.insert(result.notRun.end(), one.notRun.begin(), one.notRun.end());
        result.calls += one.calls;
        result.outOfTime = result.outOfTime || one.outOfTime;
        result.hung = result.hung || one.hung;
        if (!one.trouble.empty()) {
            result.trouble +=
                (result.trouble.empty() ? "" : "; ") + parameters.ToString() + ": " + one.trouble;
        }
    }
    if (skipped > 0) {
        result.trouble += (result.trouble.empty() ? "" : "; ") + std::string("then ") +
                          std::to_string(skipped) + " cases not run";
    }
    return result;
}

void ConfirmReproductions(CheckResult &result, const RunnerSettings &settings) {
    std::size_t tried = 0;
    for (CaseResult &failed : result.cases) {
        if (failed.passed || tried == kConfirmedReproductions) continue;
        if (Clock::now() >= settings.runDeadline) return;
        ++tried;
        const Again alone = RunAgain(*result.check, settings, failed, std::nullopt);
        if (alone == Again::Fails) {
            failed.reproduction = Reproduction::Alone;
        } else if (alone == Again::NotListed) {
            failed.reproduction = Reproduction::NotOffered;
        } else if (!failed.seenWhile.empty() &&
                   RunAgain(*result.check, settings, failed, failed.number, failed.seenWhile) ==
                       Again::Fails) {
            failed.reproduction = Reproduction::WithLater;
        } else if (failed.workerFrom < failed.number &&
                   RunAgain(*result.check, settings, failed, failed.workerFrom) == Again::Fails) {
            failed.reproduction = Reproduction::AfterEarlier;
        } else {
            failed.reproduction = Reproduction::NotAgain;
        }
    }
}

}  // namespace standin::validator
