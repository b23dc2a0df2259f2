#include "standin/validator/runner.h"

#include <cstdlib>
#include <fstream>
#include <map>

#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_protocol.h"

namespace standin::validator {
namespace {

// After this many cases ended a worker, the module is crashing on
// everything; the rest of the check would say no more.
constexpr std::size_t kMostEndedWorkers = 5;
// Lines the module or its runtime printed, kept to explain a crash.
constexpr std::size_t kKeptNoise = 3;

// What one worker reported.
struct WorkerReport {
    bool listed = false;
    std::string unlisted;
    std::vector<std::string> parameters;
    std::map<std::size_t, CaseResult> ended;
    std::optional<std::size_t> running;  // begun and not ended
    std::string calls;
    std::vector<std::string> noise;
    bool done = false;

    void Take(const std::string &line);
};

// The case number a message begins with; `end` is where it ends.
std::size_t Number(const std::string &text, std::size_t &end) {
    end = text.find(' ');
    return static_cast<std::size_t>(std::strtoull(text.substr(0, end).c_str(), nullptr, 10));
}

void WorkerReport::Take(const std::string &line) {
    const std::size_t marker = line.find(protocol::kMarker);
    if (marker == std::string::npos) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) noise.push_back(line);
        if (noise.size() > kKeptNoise) noise.erase(noise.begin());
        return;
    }
    const std::string message =
        line.substr(marker + std::char_traits<char>::length(protocol::kMarker));
    const std::size_t space = message.find(' ');
    const std::string word = message.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : message.substr(space + 1);
    std::size_t end = 0;
    if (word == "cases") {
        listed = true;
        parameters.resize(Number(rest, end));
    } else if (word == "unlisted") {
        unlisted = rest;
    } else if (word == "case") {
        const std::size_t index = Number(rest, end);
        if (index < parameters.size() && end != std::string::npos) {
            parameters[index] = rest.substr(end + 1);
        }
    } else if (word == "begin") {
        running = Number(rest, end);
    } else if (word == "note") {
        const std::size_t index = Number(rest, end);
        if (end != std::string::npos) ended[index].notes.push_back(rest.substr(end + 1));
    } else if (word == "trace") {
        calls += rest + "\n";
    } else if (word == "pass" || word == "fail") {
        const std::size_t index = Number(rest, end);
        CaseResult &result = ended[index];
        result.passed = word == "pass";
        if (!result.passed && end != std::string::npos) result.seen = rest.substr(end + 1);
        running.reset();
    } else if (word == "done") {
        done = true;
    }
}

std::string NoiseText(const std::vector<std::string> &noise) {
    std::string text;
    for (const std::string &line : noise) text += (text.empty() ? " (it printed: " : " / ") + line;
    return text.empty() ? text : text + ")";
}

std::vector<std::string> WorkerArguments(const Check &check, const RunnerSettings &settings,
                                         std::size_t from,
                                         const std::optional<std::string> &onlyCase) {
    std::vector<std::string> arguments{
        "validate", settings.module, "--seed", std::to_string(settings.seed),
        "--worker", check.name,      "--from", std::to_string(from)};
    if (onlyCase) {
        arguments.insert(arguments.end(), {"--case", check.name + std::string(":") + *onlyCase});
    }
    if (settings.trace) arguments.insert(arguments.end(), {"--trace", "-"});
    return arguments;
}

// Runs the cases of `check` from `program`, restarting after each case
// that ended its worker.
void RunCases(const Check &check, const RunnerSettings &settings, const std::string &program,
              const std::optional<std::string> &onlyCase, CheckResult &result) {
    std::size_t from = 0, endedWorkers = 0;
    std::vector<std::string> parameters;
    for (;;) {
        WorkerReport report;
        const ChildEnd end =
            RunChild(program, WorkerArguments(check, settings, from, onlyCase), settings.quietLimit,
                     [&](const std::string &line) { report.Take(line); });
        result.calls += report.calls;
        if (!report.listed) {
            result.trouble = report.unlisted.empty()
                                 ? "the worker ended before it listed the cases: " + end.how +
                                       NoiseText(report.noise)
                                 : "the cases could not be listed: " + report.unlisted;
            return;
        }
        parameters = report.parameters;
        for (auto &[index, ended] : report.ended) {
            if (index >= parameters.size()) continue;
            ended.parameters = parameters[index];
            result.cases.push_back(ended);
        }
        if (report.done) return;
        if (!report.running) {
            result.trouble = "the worker ended between cases: " + end.how + NoiseText(report.noise);
            return;
        }
        CaseResult crashed;
        crashed.parameters = parameters[*report.running];
        crashed.seen = "the module " + std::string(end.silent ? "hung: " : "crashed the host: ") +
                       end.how + NoiseText(report.noise);
        result.cases.push_back(crashed);
        from = *report.running + 1;
        if (from >= parameters.size()) return;
        if (++endedWorkers == kMostEndedWorkers) {
            result.trouble = "stopped after " + std::to_string(endedWorkers) +
                             " cases ended the host; " + std::to_string(parameters.size() - from) +
                             " cases not run";
            return;
        }
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

CheckResult RunCheck(const Check &check, const RunnerSettings &settings,
                     const std::optional<std::string> &onlyCase) {
    CheckResult result;
    result.check = &check;
    if (!check.inHostLacking) {
        RunCases(check, settings, settings.program, onlyCase, result);
        return result;
    }
    // Listed without the module: a case per host function, each in the
    // host program that lacks it.
    Workbench none({}, settings.seed);
    std::vector<std::string> cases{};
    if (onlyCase) {
        cases.push_back(*onlyCase);
    } else {
        for (const CaseParameters &parameters : check.listCases(none)) {
            cases.push_back(parameters.ToString());
        }
    }
    for (const std::string &parameters : cases) {
        const std::string program = HostProgramLacking(
            settings.program, CaseParameters::Parse(parameters).Text("function"));
        if (!std::ifstream(program, std::ios::binary).good()) {
            result.cases.push_back({parameters,
                                    false,
                                    "no host program lacking the function at '" + program + "'",
                                    {}});
            continue;
        }
        RunCases(check, settings, program, parameters, result);
    }
    return result;
}

}  // namespace standin::validator
