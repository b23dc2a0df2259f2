// The validator's seam to the operating system: running a worker process
// and reading what it prints, the program's own path, quoting a command
// line as this system's shell reads it, and the process's memory. One
// implementation file per platform; nothing else in the validator is
// platform-specific.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin::validator {

// How a child process ended.
struct ChildEnd {
    bool exitedNormally = false;  // returned from main or called exit
    int exitStatus = 0;           // when it did
    bool silent = false;          // stopped by us: no line within the quiet limit
    std::string how;              // "exit status 1", "killed by signal 11 (SIGSEGV)", ...
};

// Runs `program` with `arguments`; every line it prints on standard output
// or standard error (one stream, in order) goes to `onLine` without its line
// end. A child that prints no line for `quietLimit` is stopped.
ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  std::chrono::seconds quietLimit,
                  const std::function<void(const std::string &)> &onLine);

// The path of the running program, as the system gives it.
std::string OwnProgramPath();

// One argument as this system's shell takes it: unchanged when nothing in
// it needs quoting.
std::string QuoteArgument(const std::string &argument);

// Memory the process holds for itself: resident bytes on Linux, committed
// private bytes on Windows.
uint64_t ProcessMemoryBytes();

// In a worker: a fault in the module ends the process at once with the
// fault's code, with no dialog and no debugger, so that the validator
// reports it and goes on.
void EndQuietlyOnFaults();

}  // namespace standin::validator
