// The host program's `validate` command: checks any plug-in module built
// for this interface the way a careful host would, level by level, each
// case that could crash in a worker process of its own.
#pragma once

#include <cstddef>
#include <string>

#include "standin/document_commands.h"

namespace standin::validator {

struct ValidateRequest {
    std::string program;  // as this program was started, for replay lines
    std::string module;
    int level = 5;
    std::string seed;             // empty: a new seed
    std::string format = "text";  // text or json
    std::string check;            // run only this check
    std::string onlyCase;         // run only this case: CHECK:PARAMETERS
    std::string trace;            // the case's host calls go here ('-': standard output)
    // A worker's own: the check whose cases it runs, from which case.
    std::string worker;
    std::size_t from = 0;
};

// Answers the exit status: 0 when every check passed, 1 when any failed.
// Throws UsageError for bad input before anything runs, and FileError when
// the trace could not be written.
int Validate(const ValidateRequest &request, const Streams &streams);

}  // namespace standin::validator
