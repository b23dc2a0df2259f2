// Windows, inside a worker: the channel is an inherited pipe handle; the
// worker puts itself in a job of its own, inside the validator's; a fault is an exception no one
// handled, reported from the process's unhandled-exception filter (abort()
// from a SIGABRT handler); the host's buffers are committed pages; the
// process's threads are walked one by one (a snapshot of the operating system's
// threads takes milliseconds under Wine, after every call), and the
// processes the module started are those in the job.
#include <windows.h>
// After windows.h, whose types they use.
#include <psapi.h>
#include <tlhelp32.h>

#include <io.h>

#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <stdexcept>

#include "standin/platform/errors.h"
#include "standin/platform/wide_text_win32.h"
#include "standin/validator/fault_context.h"
#include "standin/validator/process_resources.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_protocol.h"

namespace standin::validator {
namespace {

HANDLE channel = INVALID_HANDLE_VALUE;
HANDLE job = nullptr;
// The key every report line begins with, and the room for one line.
protocol::ChannelKey channelKey;

// Room for what a crash report says, made before any crash.
char faultKind[64];
char faultModule[MAX_PATH * 3];

const char *BaseName(const char *path) {
    const char *name = path;
    for (const char *c = path; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/') name = c + 1;
    }
    return name;
}

void Report(const FaultFacts &facts) {
    char line[1024];
    std::size_t length = ComposeFaultReport(facts, line, sizeof line - 1);
    line[length++] = '\n';
    WriteReport(line, length);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS *fault) {
    const EXCEPTION_RECORD &record = *fault->ExceptionRecord;
    if (!FirstFault()) {
        TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
        return EXCEPTION_EXECUTE_HANDLER;
    }
    FaultFacts facts;
    std::snprintf(faultKind, sizeof faultKind, "exception 0x%08lX%s",
                  static_cast<unsigned long>(record.ExceptionCode),
                  record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION ? " (access violation)" : "");
    facts.kind = faultKind;
    facts.thread = CurrentThreadId();
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        facts.hasAddress = true;
        facts.address = static_cast<uintptr_t>(record.ExceptionInformation[1]);
        // 0: a read, 1: a write, 8: running what is not code.
        facts.access = record.ExceptionInformation[0] == 1   ? FaultFacts::Access::Write
                       : record.ExceptionInformation[0] == 0 ? FaultFacts::Access::Read
                                                             : FaultFacts::Access::Unknown;
    }
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH];
    if (GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(record.ExceptionAddress), &module) &&
        GetModuleFileNameW(module, path, MAX_PATH) > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, path, -1, faultModule, sizeof faultModule, nullptr,
                            nullptr) > 0) {
        facts.module = BaseName(faultModule);
        facts.offset = reinterpret_cast<uintptr_t>(record.ExceptionAddress) -
                       reinterpret_cast<uintptr_t>(module);
    }
    Report(facts);
    TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// abort() raises SIGABRT, then ends the process with status 3.
void OnAbort(int) {
    if (!FirstFault()) return;
    FaultFacts facts;
    facts.kind = "abort() (SIGABRT)";
    facts.thread = CurrentThreadId();
    Report(facts);
}

// --- The process's aspects ---

std::string Quoted(const std::string &text) { return "'" + text + "'"; }

class CurrentFolder : public ProcessAspect {
public:
    CurrentFolder() : taken_(Now()) {}
    std::string Changed() override {
        const std::wstring now = Now();
        if (now == taken_) return {};
        return "changed the current folder from " + Quoted(Narrow(taken_.c_str())) + " to " +
               Quoted(Narrow(now.c_str()));
    }
    void Restore() override { SetCurrentDirectoryW(taken_.c_str()); }

private:
    static std::wstring Now() {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = GetCurrentDirectoryW(sizeof path / sizeof path[0], path);
        return std::wstring(path, length < sizeof path / sizeof path[0] ? length : 0);
    }
    std::wstring taken_;
};

// Each of the three streams, by the operating system's handle and the C runtime's
// file, each with what it leads to; a copy of each as taken puts it back.
class StandardStreams : public ProcessAspect {
public:
    StandardStreams() {
        for (int stream = 0; stream < 3; ++stream) copies_[stream] = _dup(stream);
        Take();
    }
    std::string Changed() override {
        std::string changed;
        for (int stream = 0; stream < 3; ++stream) {
            if (Identity(stream) == taken_[stream]) continue;
            changed += std::string(changed.empty() ? "" : ", ") + kNames[stream];
        }
        return changed.empty() ? "" : "redirected or closed the host's " + changed;
    }
    void Restore() override {
        for (int stream = 0; stream < 3; ++stream) {
            if (Identity(stream) != taken_[stream] && copies_[stream] >= 0) {
                // Puts back the operating system's handle too.
                _dup2(copies_[stream], stream);
            }
        }
        // The copies are new handles to the same streams.
        Take();
    }

private:
    static constexpr const char *kNames[3] = {"standard input", "standard output",
                                              "standard error"};
    static constexpr DWORD kHandles[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    static std::string Of(HANDLE handle) {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
        return std::to_string(reinterpret_cast<uintptr_t>(handle)) + "/" +
               std::to_string(GetFileType(handle));
    }
    static std::string Identity(int stream) {
        return Of(GetStdHandle(kHandles[stream])) + " " +
               Of(reinterpret_cast<HANDLE>(_get_osfhandle(stream)));
    }
    void Take() {
        for (int stream = 0; stream < 3; ++stream) taken_[stream] = Identity(stream);
    }
    std::string taken_[3];
    int copies_[3] = {-1, -1, -1};
};

class FaultHandling : public ProcessAspect {
public:
    FaultHandling() : filter_(Filter()), errorMode_(GetErrorMode()) {}
    std::string Changed() override {
        std::string changed;
        if (Filter() != filter_) changed = "unhandled-exception filter";
        if (GetErrorMode() != errorMode_) {
            changed += std::string(changed.empty() ? "" : ", ") + "error mode";
        }
        return changed.empty() ? "" : "changed the host's " + changed;
    }
    void Restore() override {
        SetUnhandledExceptionFilter(filter_);
        SetErrorMode(errorMode_);
    }

private:
    static LPTOP_LEVEL_EXCEPTION_FILTER Filter() {
        const LPTOP_LEVEL_EXCEPTION_FILTER now = SetUnhandledExceptionFilter(nullptr);
        SetUnhandledExceptionFilter(now);
        return now;
    }
    LPTOP_LEVEL_EXCEPTION_FILTER filter_;
    UINT errorMode_;
};

class Environment : public ProcessAspect {
public:
    Environment() : taken_(Now()) {}
    std::string Changed() override {
        const auto now = Now();
        if (now == taken_) return {};
        std::string names;
        for (const auto &[name, value] : now) {
            const auto was = taken_.find(name);
            if (was == taken_.end() || was->second != value) {
                names += (names.empty() ? "" : ", ") + Narrow(name.c_str());
            }
        }
        for (const auto &[name, value] : taken_) {
            if (now.count(name) == 0) names += (names.empty() ? "" : ", ") + Narrow(name.c_str());
        }
        return "changed the environment: " + names;
    }
    void Restore() override {
        for (const auto &[name, value] : Now()) {
            if (taken_.count(name) == 0) SetEnvironmentVariableW(name.c_str(), nullptr);
        }
        for (const auto &[name, value] : taken_)
            SetEnvironmentVariableW(name.c_str(), value.c_str());
    }

private:
    // The variables by name; those whose name begins with '=' are the
    // system's record of each drive's current folder.
    static std::map<std::wstring, std::wstring> Now() {
        std::map<std::wstring, std::wstring> variables;
        wchar_t *block = GetEnvironmentStringsW();
        if (block == nullptr) return variables;
        for (const wchar_t *entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const std::size_t equals = text.find(L'=', 1);
            if (text[0] == L'=' || equals == std::wstring::npos) continue;
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
        FreeEnvironmentStringsW(block);
        return variables;
    }
    std::map<std::wstring, std::wstring> taken_;
};

// The threads of this process, each by its identifier.
std::set<DWORD> LiveThreads() {
    using NextThread = LONG(NTAPI *)(HANDLE, HANDLE, ACCESS_MASK, ULONG, ULONG, PHANDLE);
    static const auto next = reinterpret_cast<NextThread>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtGetNextThread")));
    std::set<DWORD> live;
    if (next != nullptr) {
        HANDLE thread = nullptr;
        for (;;) {
            HANDLE following = nullptr;
            const LONG status = next(GetCurrentProcess(), thread, THREAD_QUERY_LIMITED_INFORMATION,
                                     0, 0, &following);
            if (thread != nullptr) CloseHandle(thread);
            if (status != 0) return live;
            live.insert(GetThreadId(following));
            thread = following;
        }
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return live;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) live.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return live;
}

// The processes in the worker's job but the worker; without a job (outside
// the validator), those whose parent it is, from a snapshot.
std::set<DWORD> ChildrenNow() {
    std::set<DWORD> found;
    const DWORD self = GetCurrentProcessId();
    if (job != nullptr) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                      sizeof accounting, nullptr) &&
            accounting.ActiveProcesses <= 1) {
            return found;
        }
        // The list's header, then as many identifiers as there is room for.
        constexpr DWORD kMostIds = 256;
        ULONG_PTR list[2 + kMostIds] = {};
        auto *header = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST *>(list);
        header->NumberOfAssignedProcesses = kMostIds;
        if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, sizeof list,
                                      nullptr)) {
            const ULONG_PTR *ids =
                list + offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList) / sizeof(ULONG_PTR);
            for (DWORD i = 0; i < header->NumberOfProcessIdsInList && i < kMostIds; ++i) {
                if (ids[i] != self) found.insert(static_cast<DWORD>(ids[i]));
            }
            return found;
        }
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == self) found.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

std::string Count(std::size_t count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Threads are never put back: each is reported once, and kept in mind for
// a crash it causes later.
class Threads : public ProcessAspect {
public:
    Threads() : known_(LiveThreads()) {}
    std::string Changed() override {
        left_.clear();
        for (const DWORD thread : LiveThreads()) {
            if (known_.count(thread) == 0) left_.push_back(thread);
        }
        return left_.empty() ? "" : "left " + Count(left_.size(), "thread", "threads") + " running";
    }
    void Restore() override {
        for (const DWORD thread : left_) {
            known_.insert(thread);
            NoteLeftThread(thread);
        }
    }

private:
    std::set<DWORD> known_;
    std::vector<DWORD> left_;
};

// A process the module started is ended: the host does not wait for it to
// end on its own.
class ChildProcesses : public ProcessAspect {
public:
    ChildProcesses() : known_(ChildrenNow()) {}
    std::string Changed() override {
        started_.clear();
        for (const DWORD process : ChildrenNow()) {
            if (known_.count(process) == 0) started_.push_back(process);
        }
        return started_.empty() ? ""
                                : "started " + Count(started_.size(), "process", "processes") +
                                      " of its own and left it to the host";
    }
    void Restore() override {
        for (const DWORD id : started_) {
            const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process == nullptr) continue;
            TerminateProcess(process, 1);
            WaitForSingleObject(process, INFINITE);
            CloseHandle(process);
        }
    }

private:
    std::set<DWORD> known_;
    std::vector<DWORD> started_;
};

}  // namespace

void OpenReportChannel(const std::string &name) {
    char *end = nullptr;
    const auto pipe =
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(name.c_str(), &end, 10)));
    if (name.empty() || *end != '\0' || GetFileType(pipe) != FILE_TYPE_PIPE) {
        throw UsageError("channel '" + name + "' is not an inherited pipe");
    }
    // Nothing the module starts inherits it.
    SetHandleInformation(pipe, HANDLE_FLAG_INHERIT, 0);
    channel = pipe;
    if (const char *key = std::getenv(kChannelKeyVariable)) {
        channelKey.Take(key);
        _putenv_s(kChannelKeyVariable, "");
    }
    // What the module starts joins the job too, where it is seen at once.
    job = CreateJobObjectW(nullptr, nullptr);
    if (job != nullptr && !AssignProcessToJobObject(job, GetCurrentProcess())) {
        CloseHandle(job);
        job = nullptr;
    }
}

void WriteReport(const char *bytes, std::size_t count) {
    char line[protocol::ChannelKey::kLineRoom];
    count = channelKey.Keyed(bytes, count, line);
    const char *left = line;
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(channel, left, static_cast<DWORD>(count), &written, nullptr) ||
            written == 0) {
            return;
        }
        left += written;
        count -= written;
    }
}

bool ChannelIntact() { return GetFileType(channel) == FILE_TYPE_PIPE; }

// A Windows process cannot be copied.
void RunOnAHostSizedStack(const std::function<void()> &work) {
    struct Run {
        const std::function<void()> *work;
        std::exception_ptr escaped;
    } run{&work, nullptr};
    const HANDLE thread = CreateThread(
        nullptr, kHostStackBytes,
        [](void *argument) -> DWORD {
            auto *taken = static_cast<Run *>(argument);
            // Room for the report of a stack overflow, past the overflow.
            ULONG reportRoom = 64 * 1024;
            SetThreadStackGuarantee(&reportRoom);
            try {
                (*taken->work)();
            } catch (...) {
                taken->escaped = std::current_exception();
            }
            return 0;
        },
        &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) throw std::runtime_error("no thread for the host");
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    if (run.escaped) std::rethrow_exception(run.escaped);
}

// The private folders are Linux's: here the worker stays where it started.
std::string EnterPrivateFolders(const std::string &module) { return module; }

bool IsCopyOfTheWorker() { return false; }

void ReportFaultsOnTheChannel() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::signal(SIGABRT, OnAbort);
    SetMainThread(CurrentThreadId());
}

void WaitForTheEnd() { Sleep(100); }

std::size_t PageBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return system.dwPageSize;
}

uint8_t *AllocatePages(std::size_t bytes) {
    void *pages = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (pages == nullptr) throw std::bad_alloc();
    return static_cast<uint8_t *>(pages);
}

void ProtectPages(const uint8_t *start, std::size_t bytes) {
    DWORD previous = 0;
    VirtualProtect(const_cast<uint8_t *>(start), bytes, PAGE_READONLY, &previous);
}

void WithdrawPages(const uint8_t *start, std::size_t bytes) {
    DWORD previous = 0;
    VirtualProtect(const_cast<uint8_t *>(start), bytes, PAGE_NOACCESS, &previous);
}

uint64_t CurrentThreadId() { return GetCurrentThreadId(); }

uint64_t ProcessMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PagefileUsage;
}

// Every region of the process's address space that is reserved or
// committed, walked one region at a time: what the system says of the
// whole (GlobalMemoryStatusEx) is not kept up to date by every Windows
// the validator runs on (Wine's is not).
uint64_t ProcessAddressSpaceBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    auto *at = static_cast<const char *>(system.lpMinimumApplicationAddress);
    const auto *end = static_cast<const char *>(system.lpMaximumApplicationAddress);
    uint64_t bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    while (at < end && VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State != MEM_FREE) bytes += region.RegionSize;
        at = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
    }
    return bytes;
}

std::vector<std::unique_ptr<ProcessAspect>> PlatformAspects() {
    std::vector<std::unique_ptr<ProcessAspect>> aspects;
    aspects.push_back(std::make_unique<CurrentFolder>());
    aspects.push_back(std::make_unique<StandardStreams>());
    aspects.push_back(std::make_unique<FaultHandling>());
    aspects.push_back(std::make_unique<Environment>());
    aspects.push_back(std::make_unique<Threads>());
    aspects.push_back(std::make_unique<ChildProcesses>());
    for (auto &aspect : ResourceAspects({})) aspects.push_back(std::move(aspect));
    return aspects;
}

}  // namespace standin::validator
