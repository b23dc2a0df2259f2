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

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  const ChildWatch &watch) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle channelRead, channelWrite, outputRead, outputWrite;
    if (!CreatePipe(channelRead.Out(), channelWrite.Out(), &inheritable, kChannelBytes) ||
        !CreatePipe(outputRead.Out(), outputWrite.Out(), &inheritable, kOutputBytes)) {
        return {false, 0, false, ErrorText("no pipe")};
    }
    SetHandleInformation(channelRead.Get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outputRead.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle empty(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr));
    const Handle job(JobThatEndsWithUs());

    std::string commandLine = QuoteArgument(program);
    for (const std::string &argument : arguments) commandLine += " " + QuoteArgument(argument);
    // The inherited handle has the same value in the worker.
    commandLine += " --channel " + std::to_string(reinterpret_cast<uintptr_t>(channelWrite.Get()));
    std::wstring wideLine = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = empty.Get();
    startup.hStdOutput = outputWrite.Get();
    startup.hStdError = outputWrite.Get();
    PROCESS_INFORMATION process{};
    // The worker inherits the key with the rest of the environment.
    _putenv_s(kChannelKeyVariable, watch.channelKey.c_str());
    const BOOL started =
        CreateProcessW(Wide(program).c_str(), wideLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    _putenv_s(kChannelKeyVariable, "");
    channelWrite.Close();
    outputWrite.Close();
    empty.Close();
    if (!started) return {false, 0, false, ErrorText("could not start '" + program + "'")};
    const Handle worker(process.hProcess);
    if (job.Valid()) AssignProcessToJobObject(job.Get(), worker.Get());
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    const auto takeOutput = [&](const char *bytes, std::size_t count) {
        watch.onOutput(bytes, count);
    };
    // What the worker printed before a report comes first.
    ChannelLines lines([&](const std::string &line) {
        ReadAvailable(outputRead.Get(), takeOutput, kMostOutputAtOnce);
        watch.onReport(line);
    });
    const auto takeReport = [&](const char *bytes, std::size_t count) { lines.Take(bytes, count); };

    ChildEnd end;
    for (;;) {
        bool took = ReadAvailable(outputRead.Get(), takeOutput, kMostOutputAtOnce);
        took = ReadAvailable(channelRead.Get(), takeReport) || took;
        const Clock::time_point deadline = watch.deadline();
        if (WaitForSingleObject(worker.Get(), took ? 0 : MillisecondsUntil(deadline)) ==
            WAIT_OBJECT_0) {
            break;
        }
        if (Clock::now() >= deadline) {
            end.stopped = true;
            break;
        }
    }
    // The rest of what the worker wrote, then everything it started ends.
    ReadAvailable(outputRead.Get(), takeOutput, kMostOutputAtOnce);
    ReadAvailable(channelRead.Get(), takeReport);
    if (job.Valid()) TerminateJobObject(job.Get(), 1);
    if (end.stopped) TerminateProcess(worker.Get(), 1);
    WaitForSingleObject(worker.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(worker.Get(), &code);
    end.exitedNormally = !end.stopped && code < 0xC0000000u;
    end.exitStatus = static_cast<int>(code);
    end.how = ExitText(code);
    return end;
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
