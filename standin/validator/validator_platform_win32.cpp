// Windows: CreateProcess with one pipe for standard output and error; the
// memory is the process's committed private bytes.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

std::wstring Wide(const std::string &text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Narrow(const wchar_t *text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(length) - 1);
    return narrow;
}

std::string ErrorText(const char *what) {
    return std::string(what) + " (Windows error " + std::to_string(GetLastError()) + ")";
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

LONG WINAPI EndWithTheFaultsCode(EXCEPTION_POINTERS *fault) {
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Takes what the pipe holds now; answers false once the pipe is closed.
bool TakeAvailable(HANDLE pipe, std::string &pending,
                   const std::function<void(const std::string &)> &onLine, bool &tookAny) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    while (available > 0) {
        char buffer[4096];
        DWORD count = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer < available ? sizeof buffer : available, &count,
                      nullptr)) {
            return false;
        }
        available -= count;
        tookAny = tookAny || count > 0;
        pending.append(buffer, count);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            onLine(line);
            pending.erase(0, end + 1);
        }
    }
    return true;
}

}  // namespace

ChildEnd RunChild(const std::string &program, const std::vector<std::string> &arguments,
                  std::chrono::seconds quietLimit,
                  const std::function<void(const std::string &)> &onLine) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return {false, 0, false, ErrorText("no pipe")};
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = QuoteArgument(program);
    for (const std::string &argument : arguments) commandLine += " " + QuoteArgument(argument);
    std::wstring wideLine = Wide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(Wide(program).c_str(), wideLine.data(), nullptr, nullptr,
                                        TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        ChildEnd failed{false, 0, false, ErrorText(("could not start '" + program + "'").c_str())};
        CloseHandle(readEnd);
        return failed;
    }
    CloseHandle(process.hThread);

    ChildEnd end;
    std::string pending;
    auto lastLine = std::chrono::steady_clock::now();
    for (;;) {
        bool tookAny = false;
        const bool open = TakeAvailable(readEnd, pending, onLine, tookAny);
        if (tookAny) lastLine = std::chrono::steady_clock::now();
        if (!open) break;
        if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) {
            TakeAvailable(readEnd, pending, onLine, tookAny);
            break;
        }
        if (std::chrono::steady_clock::now() - lastLine > quietLimit) {
            TerminateProcess(process.hProcess, 1);
            end.silent = true;
            break;
        }
    }
    if (!pending.empty()) onLine(pending);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    end.exitedNormally = !end.silent && code < 0xC0000000u;
    end.exitStatus = static_cast<int>(code);
    end.how = end.silent ? "no answer for " + std::to_string(quietLimit.count()) + " s, so stopped"
                         : ExitText(code);
    return end;
}

std::string OwnProgramPath() {
    wchar_t path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
    return Narrow(path);
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

uint64_t ProcessMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PagefileUsage;
}

void EndQuietlyOnFaults() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndWithTheFaultsCode);
}

}  // namespace standin::validator
