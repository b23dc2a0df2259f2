// The worker: a FINALE.EXE started by the validator to run the cases of one
// check in a process of its own, so that a module that crashes or hangs
// takes only the worker with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace standin::validator {

struct WorkerRequest {
    std::string module;
    uint32_t seed = 0;
    std::string check;
    std::string channel;                  // the --channel the validator gave
    std::optional<std::string> onlyCase;  // its parameters: run up to this case
    // The first case to run; with `onlyCase`, none runs that case alone.
    std::optional<std::size_t> from;
    bool trace = false;  // report each case's host calls
};

// Runs the cases and reports them on the channel (worker_protocol.h), then
// ends the process: whatever the module left behind is not the worker's to
// clean up.
[[noreturn]] void RunWorker(const WorkerRequest &request);

}  // namespace standin::validator
