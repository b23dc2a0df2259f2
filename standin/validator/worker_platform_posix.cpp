// Linux, inside a worker: the channel is an inherited file descriptor; a
// fault is a signal, reported from a handler on a stack of its own; the
// host's buffers are anonymous mappings; threads and child processes (the
// worker is the subreaper of everything it starts) are read from /proc.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

#include "standin/platform/errors.h"
#include "standin/validator/fault_context.h"
#include "standin/validator/process_resources.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_protocol.h"

extern char **environ;

namespace standin::validator {
namespace {

int channel = -1;
struct stat channelIdentity {};
pid_t workerProcess = 0;
// The key every report line begins with, and the room for one line.
protocol::ChannelKey channelKey;
// The folders the validator made for this worker alone, once it is in them.
std::vector<PrivateFolder> privateFolders;

// The signals of a fault, as the report names them.
struct FaultSignal {
    int number;
    const char *kind;
    struct sigaction previous;
};
FaultSignal faultSignals[] = {
    {SIGSEGV, "signal 11 (SIGSEGV)", {}}, {SIGBUS, "signal 7 (SIGBUS)", {}},
    {SIGFPE, "signal 8 (SIGFPE)", {}},    {SIGILL, "signal 4 (SIGILL)", {}},
    {SIGABRT, "signal 6 (SIGABRT)", {}},  {SIGTRAP, "signal 5 (SIGTRAP)", {}},
};

// Room for the handler when the fault is a stack overflow.
constexpr std::size_t kHandlerStackBytes = 64 * 1024;
char handlerStack[kHandlerStackBytes];

const char *BaseName(const char *path) {
    const char *slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

void OnFault(int number, siginfo_t *info, void *context) {
    FaultSignal *fault = nullptr;
    for (FaultSignal &candidate : faultSignals) {
        if (candidate.number == number) fault = &candidate;
    }
    if (!IsCopyOfTheWorker() && fault != nullptr && FirstFault()) {
        FaultFacts facts;
        facts.kind = fault->kind;
        facts.thread = CurrentThreadId();
        const auto *machine = &static_cast<ucontext_t *>(context)->uc_mcontext;
        if (number == SIGSEGV || number == SIGBUS) {
            facts.hasAddress = true;
            facts.address = reinterpret_cast<uintptr_t>(info->si_addr);
            // The page fault's error code: bit 1 set for a write.
            facts.access = (machine->gregs[REG_ERR] & 2) != 0 ? FaultFacts::Access::Write
                                                              : FaultFacts::Access::Read;
        }
        Dl_info found{};
        const auto instruction = static_cast<uintptr_t>(machine->gregs[REG_RIP]);
        // dladdr takes the faulting instruction's address as a pointer.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        const auto *const address = reinterpret_cast<const void *>(instruction);
        if (number != SIGABRT && dladdr(address, &found) != 0 && found.dli_fname != nullptr) {
            facts.module = BaseName(found.dli_fname);
            facts.offset = instruction - reinterpret_cast<uintptr_t>(found.dli_fbase);
            facts.symbol = found.dli_sname;
        }
        char line[1024];
        std::size_t length = ComposeFaultReport(facts, line, sizeof line - 1);
        line[length++] = '\n';
        WriteReport(line, length);
    }
    // Then as before: AddressSanitizer's own report, say, or the end.
    const struct sigaction previous = fault != nullptr ? fault->previous : (struct sigaction){};
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(number, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(number);
    }
    // The default ends the process: returning runs the faulting instruction
    // again, or a raised signal is raised again.
    signal(number, SIG_DFL);
    if (info->si_code <= 0) raise(number);
}

// --- The process's aspects ---

std::string Quoted(const std::string &text) { return "'" + text + "'"; }

class CurrentFolder : public ProcessAspect {
public:
    CurrentFolder() : taken_(Now()) {}
    std::string Changed() override {
        const std::string now = Now();
        if (now == taken_) return {};
        return "changed the current folder from " + Quoted(taken_) + " to " + Quoted(now);
    }
    void Restore() override {
        if (chdir(taken_.c_str()) != 0) return;
    }

private:
    static std::string Now() {
        char path[PATH_MAX];
        return getcwd(path, sizeof path) != nullptr ? path : "(a folder that is gone)";
    }
    std::string taken_;
};

// Each of the three streams, by what it leads to; a copy of each as taken
// puts it back.
class StandardStreams : public ProcessAspect {
public:
    StandardStreams() {
        for (int stream = 0; stream < 3; ++stream) {
            taken_[stream] = Identity(stream);
            copies_[stream] = fcntl(stream, F_DUPFD_CLOEXEC, kCopiesFrom);
        }
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
                dup2(copies_[stream], stream);
            }
        }
    }

private:
    static constexpr int kCopiesFrom = 100;
    static constexpr const char *kNames[3] = {"standard input", "standard output",
                                              "standard error"};
    static std::string Identity(int stream) {
        struct stat facts {};
        if (fstat(stream, &facts) != 0) return "closed";
        return std::to_string(facts.st_dev) + ":" + std::to_string(facts.st_ino);
    }
    std::string taken_[3];
    int copies_[3] = {-1, -1, -1};
};

class Environment : public ProcessAspect {
public:
    Environment() { Take(); }
    std::string Changed() override {
        // Most often every entry is as it was, in its place: no need to sort.
        if (Entries() == entries_) return {};
        const std::map<std::string, std::string> now = Now();
        if (now == taken_) {
            entries_ = Entries();
            return {};
        }
        std::string names;
        for (const auto &[name, value] : now) {
            const auto was = taken_.find(name);
            if (was == taken_.end() || was->second != value)
                names += (names.empty() ? "" : ", ") + name;
        }
        for (const auto &[name, value] : taken_) {
            if (now.count(name) == 0) names += (names.empty() ? "" : ", ") + name;
        }
        return "changed the environment: " + names;
    }
    void Restore() override {
        for (const auto &[name, value] : Now()) {
            if (taken_.count(name) == 0) unsetenv(name.c_str());
        }
        for (const auto &[name, value] : taken_) setenv(name.c_str(), value.c_str(), 1);
        entries_ = Entries();
    }

private:
    void Take() {
        taken_ = Now();
        entries_ = Entries();
    }
    static std::vector<std::string> Entries() {
        std::vector<std::string> entries;
        for (char **entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            entries.emplace_back(*entry);
        }
        return entries;
    }
    static std::map<std::string, std::string> Now() {
        std::map<std::string, std::string> variables;
        for (const std::string &text : Entries()) {
            const std::size_t equals = text.find('=');
            variables[text.substr(0, equals)] =
                equals == std::string::npos ? "" : text.substr(equals + 1);
        }
        return variables;
    }
    std::map<std::string, std::string> taken_;
    std::vector<std::string> entries_;  // as taken, in their order
};

std::vector<uint64_t> NumbersInFolder(const char *path) {
    std::vector<uint64_t> numbers;
    DIR *folder = opendir(path);
    if (folder == nullptr) return numbers;
    while (const dirent *entry = readdir(folder)) {
        if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9') {
            numbers.push_back(std::strtoull(entry->d_name, nullptr, 10));
        }
    }
    closedir(folder);
    return numbers;
}

std::string Count(std::size_t count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Threads are never put back: each is reported once, and kept in mind for
// a crash it causes later.
class Threads : public ProcessAspect {
public:
    Threads() {
        const auto now = NumbersInFolder("/proc/self/task");
        known_.insert(now.begin(), now.end());
    }
    std::string Changed() override {
        left_.clear();
        for (const uint64_t thread : NumbersInFolder("/proc/self/task")) {
            if (known_.count(thread) == 0) left_.push_back(thread);
        }
        return left_.empty() ? "" : "left " + Count(left_.size(), "thread", "threads") + " running";
    }
    void Restore() override {
        for (const uint64_t thread : left_) {
            known_.insert(thread);
            NoteLeftThread(thread);
        }
    }

private:
    std::set<uint64_t> known_;
    std::vector<uint64_t> left_;
};

// The children of every thread of the worker, ended or not; the worker
// itself starts none.
std::vector<pid_t> ChildrenNow() {
    std::vector<pid_t> children;
    for (const uint64_t thread : NumbersInFolder("/proc/self/task")) {
        char path[64], list[4096];
        std::snprintf(path, sizeof path, "/proc/self/task/%llu/children",
                      static_cast<unsigned long long>(thread));
        const int file = open(path, O_RDONLY | O_CLOEXEC);
        if (file < 0) continue;
        const ssize_t length = read(file, list, sizeof list - 1);
        close(file);
        list[length > 0 ? length : 0] = '\0';
        for (char *at = list, *end = nullptr;; at = end) {
            const long child = std::strtol(at, &end, 10);
            if (end == at) break;
            children.push_back(static_cast<pid_t>(child));
        }
    }
    std::sort(children.begin(), children.end());
    children.erase(std::unique(children.begin(), children.end()), children.end());
    return children;
}

// A process the module started (a copy of the host it forked, a program it
// ran) is ended and reaped: the host does not wait for it to end on its own.
class ChildProcesses : public ProcessAspect {
public:
    std::string Changed() override {
        started_ = ChildrenNow();
        if (started_.empty()) {
            // Without the list from /proc: one that ended is still seen.
            siginfo_t ended{};
            if (waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid != 0) {
                started_.push_back(ended.si_pid);
            }
        }
        return started_.empty() ? ""
                                : "started " + Count(started_.size(), "process", "processes") +
                                      " of its own and left it to the host";
    }
    void Restore() override {
        for (const pid_t child : started_) {
            kill(child, SIGKILL);
            while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }

private:
    std::vector<pid_t> started_;
};

// Signals the module sent the validator (or every process), which never
// reach it: the last one's number, and how many.
std::atomic<int> lastSignalToTheValidator{0};
std::atomic<unsigned> signalsToTheValidator{0};

// The kernel stopped a call that would signal the validator: it is noted,
// and to the module it succeeded.
void OnSignalToTheValidator(int, siginfo_t *info, void *context) {
    auto *machine = &static_cast<ucontext_t *>(context)->uc_mcontext;
    const int signal = static_cast<int>(info->si_syscall == SYS_tgkill ? machine->gregs[REG_RDX]
                                                                       : machine->gregs[REG_RSI]);
    if (signal != 0) {
        lastSignalToTheValidator = signal;
        ++signalsToTheValidator;
    }
    machine->gregs[REG_RAX] = 0;
}

// A filter on the calls that signal a process: those aimed at the
// validator, its process group or every process trap in the caller,
// whichever thread or process of the module's makes them.
void KeepSignalsFromTheValidator() {
    struct sigaction action {};
    action.sa_sigaction = OnSignalToTheValidator;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSYS, &action, nullptr);
    const pid_t validator = getppid();
    const auto parent = static_cast<uint32_t>(validator);
    const auto parentsGroup = static_cast<uint32_t>(-getpgid(validator));
    const auto everyone = static_cast<uint32_t>(-1);
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_kill, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_tgkill, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rt_sigqueueinfo, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        // The low word of the first argument, the process aimed at.
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, parent, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, parentsGroup, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, everyone, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    // Without the filter, the validator still refuses a worker's signals,
    // but hears them later than the case that sent them.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return;
    prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program);
}

class SignalsToTheValidator : public ProcessAspect {
public:
    std::string Changed() override {
        if (signalsToTheValidator == seen_) return {};
        const int number = lastSignalToTheValidator;
        const char *name = sigabbrev_np(number);
        return "sent signal " + std::to_string(number) +
               (name != nullptr ? " (SIG" + std::string(name) + ")" : "") +
               " to the program that started the host";
    }
    void Restore() override { seen_ = signalsToTheValidator; }

private:
    unsigned seen_ = signalsToTheValidator;
};

// The worker leads a session and a process group of its own, which the
// validator ends with everything in it: a module must not take the host
// out of them.
class OwnSession : public ProcessAspect {
public:
    std::string Changed() override {
        if (getsid(0) == session_ && getpgrp() == group_) return {};
        return "took the host out of its own session and process group";
    }
    void Restore() override {}

private:
    pid_t session_ = getsid(0), group_ = getpgrp();
};

}  // namespace

void OpenReportChannel(const std::string &name) {
    char *end = nullptr;
    const long descriptor = std::strtol(name.c_str(), &end, 10);
    if (name.empty() || *end != '\0' || descriptor < 0 || descriptor > INT_MAX ||
        fcntl(static_cast<int>(descriptor), F_SETFD, FD_CLOEXEC) != 0) {
        throw UsageError("channel '" + name + "' is not an open file descriptor");
    }
    channel = static_cast<int>(descriptor);
    fstat(channel, &channelIdentity);
    workerProcess = getpid();
    if (const char *key = std::getenv(kChannelKeyVariable)) {
        channelKey.Take(key);
        unsetenv(kChannelKeyVariable);
    }
    // A process the module puts in the background (started by one that
    // ends) comes to the worker, not to init, and is seen among its children.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    // A validator that is killed takes its worker with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Started by hand, the worker makes a session of its own as the
    // validator starts it in: nothing it starts then escapes by moving group.
    if (getsid(0) != getpid()) setsid();
    KeepSignalsFromTheValidator();
}

void RunOnAHostSizedStack(const std::function<void()> &work) {
    struct Run {
        const std::function<void()> *work;
        std::exception_ptr escaped;
    } run{&work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kHostStackBytes);
    // Below the stack, a guard as large as the stack: a module built
    // without stack probes steps past a guard of one page with a frame of
    // a few kilobytes, into whatever is mapped below (a host buffer, say),
    // where Windows' probes would have met its guard page. Unbacked, it
    // costs address space only.
    pthread_attr_setguardsize(&attributes, kHostStackBytes);
    pthread_t thread{};
    const int started = pthread_create(
        &thread, &attributes,
        [](void *argument) -> void * {
            auto *taken = static_cast<Run *>(argument);
            try {
                (*taken->work)();
            } catch (...) {
                taken->escaped = std::current_exception();
            }
            return nullptr;
        },
        &run);
    pthread_attr_destroy(&attributes);
    if (started != 0)
        throw std::runtime_error("no thread for the host: " + std::string(std::strerror(started)));
    pthread_join(thread, nullptr);
    if (run.escaped) std::rethrow_exception(run.escaped);
}

std::string EnterPrivateFolders(const std::string &module) {
    const char *folders = std::getenv(kPrivateFoldersVariable);
    if (folders == nullptr) return module;
    const std::string current = std::string(folders) + "/current";
    const std::string temporary = std::string(folders) + "/temporary";
    unsetenv(kPrivateFoldersVariable);
    char found[PATH_MAX];
    std::string path = realpath(module.c_str(), found) != nullptr ? found : module;
    if (chdir(current.c_str()) != 0) return module;
    setenv("TMPDIR", temporary.c_str(), 1);
    privateFolders = {{current, "the host's current folder"},
                      {temporary, "the host's temporary folder"}};
    return path;
}

void WriteReport(const char *bytes, std::size_t count) {
    char line[protocol::ChannelKey::kLineRoom];
    count = channelKey.Keyed(bytes, count, line);
    const char *left = line;
    while (count > 0) {
        const ssize_t written = write(channel, left, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        left += written;
        count -= static_cast<std::size_t>(written);
    }
}

bool ChannelIntact() {
    struct stat now {};
    return fstat(channel, &now) == 0 && now.st_dev == channelIdentity.st_dev &&
           now.st_ino == channelIdentity.st_ino;
}

bool IsCopyOfTheWorker() { return workerProcess != 0 && getpid() != workerProcess; }

void ReportFaultsOnTheChannel() {
    stack_t stack{};
    stack.ss_sp = handlerStack;
    stack.ss_size = sizeof handlerStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (FaultSignal &fault : faultSignals) sigaction(fault.number, &action, &fault.previous);
    SetMainThread(CurrentThreadId());
}

void WaitForTheEnd() { usleep(100000); }

std::size_t PageBytes() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

uint8_t *AllocatePages(std::size_t bytes) {
    void *pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    return static_cast<uint8_t *>(pages);
}

void ProtectPages(const uint8_t *start, std::size_t bytes) {
    mprotect(const_cast<uint8_t *>(start), bytes, PROT_READ);
}

void WithdrawPages(const uint8_t *start, std::size_t bytes) {
    mprotect(const_cast<uint8_t *>(start), bytes, PROT_NONE);
}

uint64_t CurrentThreadId() { return static_cast<uint64_t>(syscall(SYS_gettid)); }

uint64_t ProcessMemoryBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

uint64_t ProcessAddressSpaceBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0;
    statm >> size;
    return size * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

std::vector<std::unique_ptr<ProcessAspect>> PlatformAspects() {
    std::vector<std::unique_ptr<ProcessAspect>> aspects;
    aspects.push_back(std::make_unique<CurrentFolder>());
    aspects.push_back(std::make_unique<StandardStreams>());
    aspects.push_back(std::make_unique<Environment>());
    aspects.push_back(std::make_unique<Threads>());
    aspects.push_back(std::make_unique<ChildProcesses>());
    aspects.push_back(std::make_unique<OwnSession>());
    aspects.push_back(std::make_unique<SignalsToTheValidator>());
    for (auto &aspect : ResourceAspects(privateFolders)) aspects.push_back(std::move(aspect));
    return aspects;
}

}  // namespace standin::validator
