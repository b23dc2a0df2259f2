// The host program's `validate` command: checks any plug-in module built
// for this interface the way a careful host would, level by level, each
// case that could crash in a worker process of its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "standin/program/document_commands.h"
#include "standin/validator/runner.h"

namespace standin::validator {

struct ValidateRequest {
    std::string program;  // as this program was started, for replay lines
    std::string module;
    int level = 5;
    std::optional<std::string> seed;  // none: a new seed
    std::string format = "text";      // a name in kReportFormats
    std::string check;                // run only this check
    std::string onlyCase;             // run only this case: CHECK:PARAMETERS
    // With onlyCase: run the check's cases from this one up to it, in one
    // process, as the run that failed it did.
    std::optional<std::size_t> from;
    std::string trace;  // the case's host calls go here ('-': standard output)
    long long caseLimit = kDefaultCaseLimit.count();  // seconds for each case
    long long runLimit = kDefaultRunLimit.count();    // seconds for the whole run
    // A worker's own (RunValidateWorker): the check whose cases it runs,
    // and its channel.
    std::string worker;
    std::string channel;
};

// Answers the exit status: 0 when every check passed, 1 when any failed.
// Throws UsageError for bad input before anything runs, and FileError when
// the trace could not be written.
int Validate(const ValidateRequest &request, const Streams &streams);

// The seed of the random documents: --seed, or a new one. Throws UsageError
// for a seed that is no number.
uint32_t SeedOf(const ValidateRequest &request);

}  // namespace standin::validator
