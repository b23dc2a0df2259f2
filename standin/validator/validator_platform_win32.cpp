// Windows, the validator's side: CreateProcessW into a job object that ends
// everything in it when it closes, an inherited pipe for the private channel
// and one for standard output and error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "standin/platform/wide_text_win32.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_report.h"

namespace standin::validator {
namespace {

// What is read from the output at one time, before a report and once the
// worker has ended: a process it started may go on printing into the same
// pipe.
constexpr DWORD kMostOutputAtOnce = 1 << 20;
// Anonymous pipes cannot be waited on: while nothing comes, they are looked
// at this often.
constexpr DWORD kIdleMilliseconds = 5;
constexpr DWORD kChannelBytes = 1 << 16;
constexpr DWORD kOutputBytes = 1 << 20;

std::string ErrorText(const std::string &what) {
    return what + " (Windows error " + std::to_string(GetLastError()) + ")";
}

std::string ExitText(DWORD code) {
    char text[64];
    if (code >= 0xC0000000u) {
        std::snprintf(text, sizeof text, "ended by exception 0x%08lX%s",
                      static_cast<unsigned long>(code),
                      code == 0xC0000005u ? " (access violation)" : "");
    } else {
        std::snprintf(text, sizeof text, "exit status %lu", static_cast<unsigned long>(code));
    }
    return text;
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    HANDLE *Out() { return &handle_; }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Valid()) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Takes what the pipe holds now, up to `most` bytes; answers whether it
// took any.
bool ReadAvailable(HANDLE pipe, const std::function<void(const char *, std::size_t)> &take,
                   DWORD most = MAXDWORD) {
    bool took = false;
    DWORD available = 0;
    while (most > 0 && PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        char buffer[65536];
        DWORD count = 0;
        const DWORD asked = std::min<DWORD>({available, most, sizeof buffer});
        if (!ReadFile(pipe, buffer, asked, &count, nullptr) || count == 0) break;
        take(buffer, count);
        most -= count;
        took = true;
    }
    return took;
}

// A job that ends the processes in it when its last handle closes: at the
// worker's end, or with the validator.
HANDLE JobThatEndsWithUs() {
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

DWORD MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<DWORD>(std::clamp<long long>(left, 0, kIdleMilliseconds));
}

ChildEnd NotStarted(const std::string &why) { return {false, 0, false, why, 0}; }

// The pipes' write ends are inherited by the worker; their read ends are
// the validator's alone.
struct Pipes {
    Handle channelRead, channelWrite, outputRead, outputWrite;

    bool Open(SECURITY_ATTRIBUTES &inheritable) {
        if (!CreatePipe(channelRead.Out(), channelWrite.Out(), &inheritable, kChannelBytes) ||
            !CreatePipe(outputRead.Out(), outputWrite.Out(), &inheritable, kOutputBytes)) {
            return false;
        }
        SetHandleInformation(channelRead.Get(), HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(outputRead.Get(), HANDLE_FLAG_INHERIT, 0);
        return true;
    }
};

// The program, its arguments, then its end of the channel: the inherited
// handle has the same value in the worker.
std::string CommandLine(const std::string &program, const std::vector<std::string> &arguments,
                        HANDLE channel) {
    std::string line = QuoteArgument(program);
    for (const std::string &argument : arguments) line += " " + QuoteArgument(argument);
    return line + " --channel " + std::to_string(reinterpret_cast<uintptr_t>(channel));
}

// Starts the worker suspended, with standard input empty and its output and
// errors into the output pipe; the worker inherits the channel's key with
// the rest of the environment.
bool StartSuspended(const std::string &program, const std::string &commandLine,
                    const std::string &channelKey, const Pipes &pipes, HANDLE empty,
                    PROCESS_INFORMATION &process) {
    std::wstring wideLine = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = empty;
    startup.hStdOutput = pipes.outputWrite.Get();
    startup.hStdError = pipes.outputWrite.Get();
    _putenv_s(kChannelKeyVariable, channelKey.c_str());
    const BOOL started =
        CreateProcessW(Wide(program).c_str(), wideLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    _putenv_s(kChannelKeyVariable, "");
    return started != FALSE;
}

// What the worker sends, passed on to the watch: what it printed before a
// report, then the report.
class Hearing {
public:
    Hearing(const ChildWatch &watch, HANDLE channel, HANDLE output)
        : watch_(watch),
          channel_(channel),
          output_(output),
          lines_([this](const std::string &line) {
              ReadOutput();
              watch_.onReport(line);
          }) {}
    Hearing(const Hearing &) = delete;
    Hearing &operator=(const Hearing &) = delete;

    // Each answers whether it took anything.
    bool ReadOutput() {
        return ReadAvailable(
            output_,
            [this](const char *bytes, std::size_t count) { watch_.onOutput(bytes, count); },
            kMostOutputAtOnce);
    }
    bool ReadReports() {
        return ReadAvailable(
            channel_, [this](const char *bytes, std::size_t count) { lines_.Take(bytes, count); });
    }

    // Hears the worker until it ends or its deadline passes; answers
    // whether it was stopped.
    bool UntilTheEnd(HANDLE worker) {
        for (;;) {
            bool took = ReadOutput();
            took = ReadReports() || took;
            const Clock::time_point deadline = watch_.deadline();
            if (WaitForSingleObject(worker, took ? 0 : MillisecondsUntil(deadline)) ==
                WAIT_OBJECT_0) {
                return false;
            }
            if (Clock::now() >= deadline) return true;
        }
    }

private:
    const ChildWatch &watch_;
    HANDLE channel_, output_;
    ChannelLines lines_;
};

// Ends everything the worker started, and the worker if it was stopped;
// answers how it ended.
ChildEnd EndTheJob(const Handle &job, HANDLE worker, bool stopped) {
    if (job.Valid()) TerminateJobObject(job.Get(), 1);
    if (stopped) TerminateProcess(worker, 1);
    WaitForSingleObject(worker, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(worker, &code);
    ChildEnd end;
    end.stopped = stopped;
    end.exitedNormally = !stopped && code < 0xC0000000u;
    end.exitStatus = static_cast<int>(code);
    end.how = ExitText(code);
    return end;
}

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  const ChildWatch &watch) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Pipes pipes;
    if (!pipes.Open(inheritable)) return NotStarted(ErrorText("no pipe"));
    Handle empty(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr));
    const Handle job(JobThatEndsWithUs());
    PROCESS_INFORMATION process{};
    const bool started =
        StartSuspended(program, CommandLine(program, arguments, pipes.channelWrite.Get()),
                       watch.channelKey, pipes, empty.Get(), process);
    pipes.channelWrite.Close();
    pipes.outputWrite.Close();
    empty.Close();
    if (!started) return NotStarted(ErrorText("could not start '" + program + "'"));
    const Handle worker(process.hProcess);
    if (job.Valid()) AssignProcessToJobObject(job.Get(), worker.Get());
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    Hearing hearing(watch, pipes.channelRead.Get(), pipes.outputRead.Get());
    const bool stopped = hearing.UntilTheEnd(worker.Get());
    // The rest of what the worker wrote, then everything it started ends.
    hearing.ReadOutput();
    hearing.ReadReports();
    return EndTheJob(job, worker.Get(), stopped);
}

std::string Containment() {
    return "a job object of its own, ended with everything in it when the worker ends or the "
           "validator does";
}

std::string OwnProgramPath() {
    wchar_t path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
    return Narrow(path, static_cast<int>(length));
}

// The rules by which a Windows program's C runtime splits its command line:
// backslashes are literal unless they come before a quote.
std::string QuoteArgument(const std::string &argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

}  // namespace standin::validator
