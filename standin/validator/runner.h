// The validator's side of the workers: starts one for a check, hears what
// it reports on its private channel, keeps what the module printed apart,
// stops a case that outlasts its time, and starts another worker after a
// case that ended one. Every case a worker was to run is accounted for:
// it reported, or the check fails naming it and what became of the worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/validator/checks.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {

// Whether a failed case failed again when run once more by itself.
enum class Reproduction {
    NotTried,
    Alone,         // alone, in a worker of its own
    AfterEarlier,  // only after the cases before it in its worker, from `workerFrom`
    WithLater,     // only with the cases after it up to `seenWhile`, which showed the fault
    NotAgain,      // neither way
    // The worker it ran in again did not list it: the module offered that
    // worker other commands than the one it failed in.
    NotOffered,
};

struct CaseResult {
    std::string parameters;
    std::size_t number = 0;  // in the check's list of cases
    bool passed = false;
    std::string seen;  // what went wrong, when it did not pass
    std::vector<std::string> notes;
    std::string printed;         // what the module printed meanwhile, cut to a few hundred bytes
    std::size_t workerFrom = 0;  // the first case of the worker that ran it
    // The parameters of the later case that was running when a fault of
    // this one's showed (a buffer it was handed, read or written later);
    // empty when none.
    std::string seenWhile;
    Reproduction reproduction = Reproduction::NotTried;
};

struct CheckResult {
    const Check *check = nullptr;
    std::vector<CaseResult> cases;  // the cases that ran, in order
    // Why not every case ran, when not; the check then fails.
    std::string trouble;
    std::vector<std::string> notRun;  // the parameters of each case that did not
    std::string calls;                // the host calls, when traced
    bool outOfTime = false;           // the run's time limit ended it
    bool hung = false;                // it stopped at a case that hung

    bool Passed() const;
    std::size_t FailedCases() const;
};

inline constexpr std::chrono::seconds kDefaultCaseLimit{10};
inline constexpr std::chrono::seconds kDefaultRunLimit{900};

struct RunnerSettings {
    std::string program;  // this program, to start as a worker
    std::string module;
    uint32_t seed = 0;
    bool trace = false;
    std::chrono::seconds caseLimit = kDefaultCaseLimit;  // for each case, and for listing them
    std::chrono::seconds runLimit = kDefaultRunLimit;    // for the whole run
    Clock::time_point runDeadline = Clock::time_point::max();
};

// The cases to run: all, or the one whose parameters are `onlyCase`; with
// `from` as well, the cases of the check from that number up to it, in one
// worker, as an earlier run had them.
struct CaseChoice {
    std::optional<std::string> onlyCase;
    std::optional<std::size_t> from;
};

// Runs the chosen cases of the check. Throws UsageError when `onlyCase`
// names no case of it.
CheckResult RunCheck(const Check &check, const RunnerSettings &settings,
                     const CaseChoice &choice = {});

// Runs each of the first few failed cases once more, alone, and when it
// then passes, after the cases its worker ran before it; says which of the
// two made it fail again.
void ConfirmReproductions(CheckResult &result, const RunnerSettings &settings);
// How many failed cases of a check ConfirmReproductions tries: those the text
// report shows.
inline constexpr std::size_t kConfirmedReproductions = 3;

// The host program beside `program` that lacks `function`:
// <folder>/lacking/<function>/<program's file name>.
std::string HostProgramLacking(const std::string &program, const std::string &function);

}  // namespace standin::validator
