// The validator's worker as a command of its own: the validator starts this
// program again as `validate MODULE --worker CHECK --channel N ...` to run
// one check's cases (runner.cpp gives the arguments); not for people.
#pragma once

#include "standin/validator/validate_command.h"

namespace standin::validator {

// Runs the request's cases as a worker and ends the process (worker.h).
// Throws UsageError, before anything runs, for a seed that is no number.
[[noreturn]] void RunValidateWorker(const ValidateRequest &request);

}  // namespace standin::validator
