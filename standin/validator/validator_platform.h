// The validator's seam to the operating system, in two halves of one
// implementation file each per platform; nothing else in the validator is
// platform-specific.
//
// validator_platform_<system>.cpp, the validator's side: starting a worker
// with a private channel and watching it, the program's own path, quoting a
// command line as this system's shell reads it.
//
// worker_platform_<system>.cpp, inside a worker: its end of the channel,
// reports of a crash, the pages of the host's buffers, the process's threads,
// child processes and memory, and the state of the process a module must
// leave as it found it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace standin::validator {

using Clock = std::chrono::steady_clock;

// How a worker ended.
struct ChildEnd {
    bool exitedNormally = false;  // returned from main or called exit
    int exitStatus = 0;           // when it did
    bool stopped = false;         // by us: its time was up
    std::string how;              // "exit status 1", "killed by signal 11 (SIGSEGV)", ...
    // Processes it started that had left its process group (its session,
    // on Linux) and were still there when it ended: ended then.
    std::size_t outlived = 0;
};

// What the validator hears from a worker while it runs.
struct ChildWatch {
    // Each line the worker reports on its private channel, without the line
    // end. Whatever the worker printed before the report has been passed to
    // `onOutput` first.
    std::function<void(const std::string &)> onReport;
    // Bytes the worker printed on its standard output or error (that is,
    // what the module printed): any amount, lines or not.
    std::function<void(const char *, std::size_t)> onOutput;
    // When the worker is to be stopped; asked again after every report, so
    // that output alone never moves it.
    std::function<Clock::time_point()> deadline;
    // What the worker, or a process it started, did to the validator
    // itself, worded to follow "the module": "sent signal 10 (SIGUSR1) to
    // the program that started the host". The validator goes on.
    std::function<void(const std::string &)> onMisdeed;
    // The key the worker begins every report line with. It finds the key in
    // its environment under kChannelKeyVariable and takes it out before the
    // module loads: a line the module writes onto the channel lacks it.
    std::string channelKey;
};

inline constexpr const char *kChannelKeyVariable = "FINALE_VALIDATE_CHANNEL_KEY";
// Where the validator made a worker the folders that are its alone: its
// current folder and its temporary folder (TMPDIR), empty when it starts
// and removed when it ends (Linux).
inline constexpr const char *kPrivateFoldersVariable = "FINALE_VALIDATE_PRIVATE_FOLDERS";

// Runs `program` with `arguments`, then "--channel <name>": the worker's end
// of a channel that it alone reports on, which a module is not told about
// and which no program the module starts inherits. Standard input is empty.
// The worker runs in a session (Windows: a job object) of its own: when it
// ends, or is stopped, everything it started ends with it, whatever group
// or session it moved to.
// No signal a worker, or what it starts, sends the validator ends it.
ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  const ChildWatch &watch);

// How the workers are kept in, as the report's heading says it: "a session
// of its own, ...".
std::string Containment();

// The path of the running program, as the system gives it.
std::string OwnProgramPath();

// One argument as this system's shell takes it: unchanged when nothing in
// it needs quoting.
std::string QuoteArgument(const std::string &argument);

// --- Inside a worker ---

// Takes the worker's end of the channel from the --channel argument and
// keeps it from any program the module starts. Throws UsageError when the
// name is no channel.
void OpenReportChannel(const std::string &name);
// Writes the line of `count` bytes on the channel in one piece, after the
// channel's key. Safe in a crash handler: no allocation, no lock.
void WriteReport(const char *bytes, std::size_t count);
// False once the module has closed the channel, or put something else in
// its place: the worker can report nothing more.
bool ChannelIntact();
// The stack of the thread a host calls its plug-ins on: Windows gives a
// program's threads 1 MiB. Under AddressSanitizer, whose frames are larger,
// four times that, so that the validator's own frames still fit.
#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_VALIDATOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_VALIDATOR_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(STANDIN_VALIDATOR_ADDRESS_SANITIZER)
inline constexpr std::size_t kHostStackBytes = std::size_t{4} << 20;
#else
inline constexpr std::size_t kHostStackBytes = std::size_t{1} << 20;
#endif
// Runs `work` on a new thread with a stack of kHostStackBytes and waits for
// it; an exception that leaves `work` leaves this too.
void RunOnAHostSizedStack(const std::function<void()> &work);

// Moves the worker into the private folders the validator made for it, if
// it made any, and answers where `module` is from there. Files an entry
// point leaves in them are reported.
std::string EnterPrivateFolders(const std::string &module);
// True in a copy of the worker a module made (fork): the copy must neither
// report nor carry on as a host.
bool IsCopyOfTheWorker();

// From now on a fault ends the worker at once, with no dialog and no
// debugger, after one report on the channel of what happened and where
// (fault_context.h says what it holds).
void ReportFaultsOnTheChannel();

// Lets the calling thread wait a moment (a tenth of a second), as while the
// process ends at a fault another thread reported.
void WaitForTheEnd();

// Pages for the host's buffers: `bytes` rounded up to whole pages, readable
// and writable, never given back. A protected range is read-only from then
// on, so that a later write into it faults.
std::size_t PageBytes();
uint8_t *AllocatePages(std::size_t bytes);
void ProtectPages(const uint8_t *start, std::size_t bytes);
// Neither readable nor writable from now on: a later read faults too.
void WithdrawPages(const uint8_t *start, std::size_t bytes);

// The calling thread's identifier, as ThreadIds() gives them.
uint64_t CurrentThreadId();

// Memory the process holds for itself: resident bytes on Linux, committed
// private bytes on Windows.
uint64_t ProcessMemoryBytes();
// The process's address space in use, touched or not: every mapping on
// Linux (VmSize), what is reserved or committed on Windows.
uint64_t ProcessAddressSpaceBytes();

// One thing of the process that a host relies on and a module must leave as
// it found it: taken when made, compared and put back after every entry
// point.
class ProcessAspect {
public:
    virtual ~ProcessAspect() = default;
    // What changed since it was taken, worded to follow "the module ...":
    // "changed the current folder from '/a' to '/'"; empty when nothing did.
    virtual std::string Changed() = 0;
    // Puts it back as it was taken (or, for what a module leaves running,
    // ends it or takes note of it so that it is reported once).
    virtual void Restore() = 0;
};

// This platform's aspects: the current folder, the standard streams, the
// handlers of faults and signals, the environment, the threads and the
// child processes.
std::vector<std::unique_ptr<ProcessAspect>> PlatformAspects();

}  // namespace standin::validator
