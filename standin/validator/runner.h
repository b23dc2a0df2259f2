// The validator's side of the workers: starts one for a check, reads what
// it reports, and starts another after a case that crashed or hung, from
// the case after it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/validator/checks.h"

namespace standin::validator {

struct CaseResult {
    std::string parameters;
    bool passed = false;
    std::string seen;  // what went wrong, when it did not pass
    std::vector<std::string> notes;
};

struct CheckResult {
    const Check *check = nullptr;
    std::vector<CaseResult> cases;
    // Why not every case ran, when not; the check then fails.
    std::string trouble;
    std::string calls;  // the host calls, when traced

    bool Passed() const;
    std::size_t FailedCases() const;
};

struct RunnerSettings {
    std::string program;  // this program, to start as a worker
    std::string module;
    uint32_t seed = 0;
    bool trace = false;
    std::chrono::seconds quietLimit{120};
};

// Runs every case of the check, or only the one with `onlyCase`'s
// parameters.
CheckResult RunCheck(const Check &check, const RunnerSettings &settings,
                     const std::optional<std::string> &onlyCase = std::nullopt);

// The host program beside `program` that lacks `function`:
// <folder>/lacking/<function>/<program's file name>.
std::string HostProgramLacking(const std::string &program, const std::string &function);

}  // namespace standin::validator
