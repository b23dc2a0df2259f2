#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <ftw.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "standin/validator/process_resources.h"

namespace standin::validator {
namespace {

std::string Listed(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string Count(std::size_t count, const char *one, const char *many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string SignalName(int number) {
    const char *name = sigabbrev_np(number);
    return name != nullptr ? "SIG" + std::string(name) : "signal " + std::to_string(number);
}

// The locale of the calling thread (uselocale), which the host's number
// formatting on that thread follows whatever the global one is.
class ThreadLocale : public ProcessAspect {
public:
    std::string Changed() override {
        const locale_t now = uselocale(nullptr);
        if (now == taken_) return {};
        return taken_ == LC_GLOBAL_LOCALE ? "gave the host's thread a locale of its own (uselocale)"
                                          : "changed the host's thread's locale (uselocale)";
    }
    void Restore() override { uselocale(taken_); }

private:
    locale_t taken_ = uselocale(nullptr);
};

// Reading the umask means setting it; it is set straight back.
mode_t CurrentUmask() {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

class Umask : public ProcessAspect {
public:
    std::string Changed() override {
        const mode_t now = CurrentUmask();
        if (now == taken_) return {};
        char text[64];
        std::snprintf(text, sizeof text, "changed the umask from %04o to %04o",
                      static_cast<unsigned>(taken_), static_cast<unsigned>(now));
        return text;
    }
    void Restore() override { umask(taken_); }

private:
    mode_t taken_ = CurrentUmask();
};

struct NamedLimit {
    int resource;
    const char *name;
};
constexpr NamedLimit kLimits[] = {
    {RLIMIT_CPU, "RLIMIT_CPU"},           {RLIMIT_FSIZE, "RLIMIT_FSIZE"},
    {RLIMIT_DATA, "RLIMIT_DATA"},         {RLIMIT_STACK, "RLIMIT_STACK"},
    {RLIMIT_CORE, "RLIMIT_CORE"},         {RLIMIT_RSS, "RLIMIT_RSS"},
    {RLIMIT_NPROC, "RLIMIT_NPROC"},       {RLIMIT_NOFILE, "RLIMIT_NOFILE"},
    {RLIMIT_MEMLOCK, "RLIMIT_MEMLOCK"},   {RLIMIT_AS, "RLIMIT_AS"},
    {RLIMIT_LOCKS, "RLIMIT_LOCKS"},       {RLIMIT_SIGPENDING, "RLIMIT_SIGPENDING"},
    {RLIMIT_MSGQUEUE, "RLIMIT_MSGQUEUE"}, {RLIMIT_NICE, "RLIMIT_NICE"},
    {RLIMIT_RTPRIO, "RLIMIT_RTPRIO"},     {RLIMIT_RTTIME, "RLIMIT_RTTIME"},
};
constexpr std::size_t kLimitCount = sizeof kLimits / sizeof kLimits[0];

// A limit lowered stays with every program the host starts; a hard limit
// lowered cannot be raised again without privilege, and is then only
// reported.
class ResourceLimits : public ProcessAspect {
public:
    ResourceLimits() {
        for (std::size_t i = 0; i < kLimitCount; ++i) getrlimit(kLimits[i].resource, &taken_[i]);
    }
    std::string Changed() override {
        std::vector<std::string> changed;
        for (std::size_t i = 0; i < kLimitCount; ++i) {
            rlimit now{};
            getrlimit(kLimits[i].resource, &now);
            if (now.rlim_cur != taken_[i].rlim_cur || now.rlim_max != taken_[i].rlim_max) {
                changed.emplace_back(kLimits[i].name);
            }
        }
        return changed.empty() ? "" : "changed the resource limits " + Listed(changed);
    }
    void Restore() override {
        for (std::size_t i = 0; i < kLimitCount; ++i) setrlimit(kLimits[i].resource, &taken_[i]);
    }

private:
    rlimit taken_[kLimitCount]{};
};

sigset_t CurrentMask() {
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return mask;
}

// The signals blocked on the host's thread: one the module blocked never
// reaches the host's handler, not even the request to stop.
class SignalMask : public ProcessAspect {
public:
    std::string Changed() override {
        const sigset_t now = CurrentMask();
        std::vector<std::string> blocked, unblocked;
        for (int number = 1; number < NSIG; ++number) {
            const int was = sigismember(&taken_, number), is = sigismember(&now, number);
            if (was == is || was < 0 || is < 0) continue;
            (is != 0 ? blocked : unblocked).push_back(SignalName(number));
        }
        std::vector<std::string> said;
        if (!blocked.empty()) said.push_back("blocked " + Listed(blocked));
        if (!unblocked.empty()) said.push_back("unblocked " + Listed(unblocked));
        return said.empty() ? "" : Listed(said) + " on the host's thread";
    }
    void Restore() override { pthread_sigmask(SIG_SETMASK, &taken_, nullptr); }

private:
    sigset_t taken_ = CurrentMask();
};

// Every signal's action: its handler, and for a handler of the host's, the
// flags and the mask it runs with (SA_RESTART missing makes the host's
// reads fail with EINTR, SA_ONSTACK missing loses the report of a stack
// overflow). For the default action or ignoring, only what still acts then:
// SIGCHLD's flags, which decide whether the host can wait for its children.
class SignalActions : public ProcessAspect {
public:
    SignalActions() {
        for (int number = 1; number < NSIG; ++number) {
            struct sigaction action {};
            if (number != SIGKILL && number != SIGSTOP &&
                sigaction(number, nullptr, &action) == 0) {
                taken_[number] = action;
            }
        }
    }
    std::string Changed() override {
        std::vector<std::string> handlers, rest;
        for (const auto &[number, was] : taken_) {
            struct sigaction now {};
            sigaction(number, nullptr, &now);
            if (Handler(now) != Handler(was)) {
                handlers.push_back(SignalName(number));
            } else if (Flags(number, now) != Flags(number, was) ||
                       (OwnHandler(now) && !SameMask(now.sa_mask, was.sa_mask))) {
                rest.push_back(SignalName(number));
            }
        }
        std::vector<std::string> said;
        if (!handlers.empty()) said.push_back("changed the host's handling of " + Listed(handlers));
        if (!rest.empty()) {
            said.push_back("changed the flags or the mask of the host's handling of " +
                           Listed(rest));
        }
        return Listed(said);
    }
    void Restore() override {
        for (const auto &[number, was] : taken_) sigaction(number, &was, nullptr);
    }

private:
    static const void *Handler(const struct sigaction &action) {
        return (action.sa_flags & SA_SIGINFO) != 0
                   ? reinterpret_cast<const void *>(action.sa_sigaction)
                   : reinterpret_cast<const void *>(action.sa_handler);
    }
    static bool OwnHandler(const struct sigaction &action) {
        return (action.sa_flags & SA_SIGINFO) != 0 ||
               (action.sa_handler != SIG_DFL && action.sa_handler != SIG_IGN);
    }
    static int Flags(int number, const struct sigaction &action) {
        // The C library's own way back from a handler, whatever installed it.
        constexpr int kRestorer = 0x04000000;
        if (OwnHandler(action)) return action.sa_flags & ~kRestorer;
        return number == SIGCHLD ? action.sa_flags & (SA_NOCLDSTOP | SA_NOCLDWAIT) : 0;
    }
    static bool SameMask(const sigset_t &one, const sigset_t &other) {
        for (int number = 1; number < NSIG; ++number) {
            if (sigismember(&one, number) != sigismember(&other, number)) return false;
        }
        return true;
    }
    std::map<int, struct sigaction> taken_;
};

struct NamedTimer {
    int which;
    const char *name;
};
constexpr NamedTimer kTimers[] = {
    {ITIMER_REAL, "ITIMER_REAL"}, {ITIMER_VIRTUAL, "ITIMER_VIRTUAL"}, {ITIMER_PROF, "ITIMER_PROF"}};

bool Armed(const itimerval &timer) {
    return timer.it_value.tv_sec != 0 || timer.it_value.tv_usec != 0;
}

// The kernel's numbers of the process's timers (timer_create), where the
// system lists them.
std::set<long> PosixTimers() {
    std::set<long> timers;
    const int list = open("/proc/self/timers", O_RDONLY | O_CLOEXEC);
    if (list < 0) return timers;
    std::string text;
    char bytes[4096];
    for (ssize_t count; (count = read(list, bytes, sizeof bytes)) > 0;) {
        text.append(bytes, static_cast<std::size_t>(count));
    }
    close(list);
    for (std::size_t at = text.find("ID: "); at != std::string::npos;
         at = text.find("\nID: ", at + 1)) {
        timers.insert(std::strtol(text.c_str() + text.find(':', at) + 1, nullptr, 10));
    }
    return timers;
}

// A timer left armed signals the host later, far from the module: SIGALRM
// ends it. The host arms none.
class Timers : public ProcessAspect {
public:
    std::string Changed() override {
        std::vector<std::string> armed;
        for (const NamedTimer &timer : kTimers) {
            itimerval now{};
            getitimer(timer.which, &now);
            if (Armed(now)) armed.emplace_back(timer.name);
        }
        created_.clear();
        for (const long timer : PosixTimers()) {
            if (taken_.count(timer) == 0) created_.push_back(timer);
        }
        std::vector<std::string> said;
        if (!armed.empty()) said.push_back("armed the interval timer " + Listed(armed));
        if (!created_.empty()) {
            said.push_back("left " + Count(created_.size(), "timer", "timers") +
                           " of its own (timer_create)");
        }
        return Listed(said);
    }
    void Restore() override {
        const itimerval disarmed{};
        for (const NamedTimer &timer : kTimers) setitimer(timer.which, &disarmed, nullptr);
        for (const long timer : created_) syscall(SYS_timer_delete, timer);
    }

private:
    std::set<long> taken_ = PosixTimers();
    std::vector<long> created_;
};

struct StreamState {
    dev_t device = 0;
    ino_t inode = 0;
    int flags = -1;
};

StreamState StateOf(int stream) {
    struct stat facts {};
    if (fstat(stream, &facts) != 0) return {};
    return {facts.st_dev, facts.st_ino, fcntl(stream, F_GETFL)};
}

// The status flags of the standard streams, which belong to what they lead
// to and so to every process that shares it: a stream made non-blocking
// makes the host's writes fail. A stream the module redirected is another
// aspect's.
class StreamFlags : public ProcessAspect {
public:
    StreamFlags() {
        for (int stream = 0; stream < 3; ++stream) taken_[stream] = StateOf(stream);
    }
    std::string Changed() override {
        std::vector<std::string> changed;
        for (int stream = 0; stream < 3; ++stream) {
            const StreamState now = StateOf(stream);
            if (now.device == taken_[stream].device && now.inode == taken_[stream].inode &&
                now.flags != taken_[stream].flags) {
                changed.emplace_back(kNames[stream]);
            }
        }
        return changed.empty() ? "" : "changed the status flags of the host's " + Listed(changed);
    }
    void Restore() override {
        for (int stream = 0; stream < 3; ++stream) fcntl(stream, F_SETFL, taken_[stream].flags);
    }

private:
    static constexpr const char *kNames[3] = {"standard input", "standard output",
                                              "standard error"};
    StreamState taken_[3];
};

struct Opened {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Opened &other) const {
        return device == other.device && inode == other.inode;
    }
};

// The descriptors open now, past the standard streams (another aspect's).
std::map<int, Opened> OpenDescriptors() {
    std::map<int, Opened> open;
    DIR *folder = opendir("/proc/self/fd");
    if (folder == nullptr) return open;
    const int own = dirfd(folder);
    while (const dirent *entry = readdir(folder)) {
        char *end = nullptr;
        const long number = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || number < 3 || number == own) continue;
        struct stat facts {};
        if (fstat(static_cast<int>(number), &facts) != 0) continue;
        open[static_cast<int>(number)] = {facts.st_dev, facts.st_ino};
    }
    closedir(folder);
    return open;
}

// The number the next descriptor opened would get.
int LowestFree() {
    const int probe = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (probe >= 0) close(probe);
    return probe;
}

std::string WhatItLeadsTo(int descriptor) {
    char path[64], target[PATH_MAX];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", descriptor);
    const ssize_t length = readlink(path, target, sizeof target - 1);
    if (length <= 0) return "descriptor " + std::to_string(descriptor);
    const std::string leadsTo(target, static_cast<std::size_t>(length));
    if (leadsTo.rfind("socket:", 0) == 0) return "a socket";
    if (leadsTo.rfind("pipe:", 0) == 0) return "a pipe";
    if (leadsTo.rfind("anon_inode:", 0) == 0) return "a " + leadsTo.substr(11);
    return "'" + leadsTo + "'";
}

// A descriptor an entry point left open is the host's to run out of: one a
// command opens each time and keeps had the host at its limit after a day's
// work. It is not closed behind the module's back, where the number could
// come to a file of the host's that the module then writes into: each is
// reported once.
class Descriptors : public ProcessAspect {
public:
    std::string Changed() override {
        // Listing them all costs many times what this does: a descriptor
        // opened takes the lowest number free, and one put in the place of
        // the host's changes what that leads to. One a module places past a
        // gap on purpose (F_DUPFD, dup2) is seen with the next change.
        bool same = LowestFree() == lowestFree_;
        for (auto known = known_.begin(); same && known != known_.end(); ++known) {
            struct stat facts {};
            same = fstat(known->first, &facts) == 0 &&
                   Opened{facts.st_dev, facts.st_ino} == known->second;
        }
        now_ = same ? known_ : OpenDescriptors();
        std::vector<std::string> opened;
        std::size_t closed = 0;
        for (const auto &[number, what] : now_) {
            const auto was = known_.find(number);
            if (was == known_.end() || !(was->second == what)) {
                opened.push_back(WhatItLeadsTo(number));
            }
        }
        for (const auto &[number, what] : known_) {
            if (now_.count(number) == 0 && modules_.count(number) == 0) ++closed;
        }
        if (opened.empty() && closed == 0) {
            // The module closed one of its own that was reported before.
            TakeNow();
            return {};
        }
        std::vector<std::string> said;
        if (!opened.empty()) {
            said.push_back("left " + Count(opened.size(), "descriptor", "descriptors") +
                           " open: " + Listed(opened));
        }
        if (closed != 0) {
            said.push_back("closed " + Count(closed, "descriptor", "descriptors") +
                           " of the host's");
        }
        return Listed(said);
    }
    void Restore() override {
        for (const auto &[number, what] : now_) {
            const auto was = known_.find(number);
            if (was == known_.end() || !(was->second == what)) modules_.insert(number);
        }
        TakeNow();
    }

private:
    void TakeNow() {
        for (auto module = modules_.begin(); module != modules_.end();) {
            module = now_.count(*module) == 0 ? modules_.erase(module) : std::next(module);
        }
        known_ = now_;
        lowestFree_ = LowestFree();
    }
    std::set<int> modules_;  // numbers of those reported, the module's
    std::map<int, Opened> known_ = OpenDescriptors(), now_;
    int lowestFree_ = LowestFree();
};

int RemoveOne(const char *path, const struct stat *, int, FTW *) { return std::remove(path); }

std::set<std::string> NamesIn(const std::string &path) {
    std::set<std::string> names;
    DIR *folder = opendir(path.c_str());
    if (folder == nullptr) return names;
    while (const dirent *entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    closedir(folder);
    return names;
}

// What an entry point left in a folder that was the worker's alone: a file
// the module meant to remove, or one it never cleans up, which a user's
// folder then fills with. Removed again, so that each case starts empty.
class FilesLeft : public ProcessAspect {
public:
    explicit FilesLeft(PrivateFolder folder)
        : folder_(std::move(folder)), taken_(NamesIn(folder_.path)) {}
    std::string Changed() override {
        left_.clear();
        for (const std::string &name : NamesIn(folder_.path)) {
            if (taken_.count(name) == 0) left_.push_back(name);
        }
        if (left_.empty()) return {};
        std::vector<std::string> quoted;
        for (const std::string &name : left_) quoted.push_back("'" + name + "'");
        return "left " + Listed(quoted) + " in " + folder_.name;
    }
    void Restore() override {
        for (const std::string &name : left_) {
            nftw((folder_.path + "/" + name).c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
        }
    }

private:
    PrivateFolder folder_;
    std::set<std::string> taken_;
    std::vector<std::string> left_;
};

struct Scheduling {
    int nice = 0, policy = 0, priority = 0;
    cpu_set_t affinity{};
    bool operator==(const Scheduling &other) const {
        return nice == other.nice && policy == other.policy && priority == other.priority &&
               CPU_EQUAL(&affinity, &other.affinity);
    }
};

Scheduling CurrentScheduling() {
    Scheduling now;
    now.nice = getpriority(PRIO_PROCESS, 0);
    now.policy = sched_getscheduler(0);
    sched_param parameter{};
    sched_getparam(0, &parameter);
    now.priority = parameter.sched_priority;
    CPU_ZERO(&now.affinity);
    sched_getaffinity(0, sizeof now.affinity, &now.affinity);
    return now;
}

// The host's thread's scheduling: its priority, its policy and the
// processors it may run on. A host kept to one processor, or run as a batch
// job, answers its user late.
class SchedulingAspect : public ProcessAspect {
public:
    std::string Changed() override {
        const Scheduling now = CurrentScheduling();
        std::vector<std::string> changed;
        if (now.nice != taken_.nice) {
            changed.push_back("priority (nice " + std::to_string(taken_.nice) + " to " +
                              std::to_string(now.nice) + ")");
        }
        if (now.policy != taken_.policy || now.priority != taken_.priority) {
            changed.push_back("policy (" + PolicyName(taken_.policy) + " to " +
                              PolicyName(now.policy) + ")");
        }
        if (!CPU_EQUAL(&now.affinity, &taken_.affinity)) {
            changed.push_back("processors (" + std::to_string(CPU_COUNT(&taken_.affinity)) +
                              " to " + std::to_string(CPU_COUNT(&now.affinity)) + ")");
        }
        return changed.empty() ? "" : "changed the host's scheduling: " + Listed(changed);
    }
    void Restore() override {
        sched_param parameter{};
        parameter.sched_priority = taken_.priority;
        sched_setscheduler(0, taken_.policy, &parameter);
        setpriority(PRIO_PROCESS, 0, taken_.nice);
        sched_setaffinity(0, sizeof taken_.affinity, &taken_.affinity);
    }

private:
    static std::string PolicyName(int policy) {
        switch (policy) {
            case SCHED_OTHER:
                return "SCHED_OTHER";
            case SCHED_BATCH:
                return "SCHED_BATCH";
            case SCHED_IDLE:
                return "SCHED_IDLE";
            case SCHED_FIFO:
                return "SCHED_FIFO";
            case SCHED_RR:
                return "SCHED_RR";
            default:
                return "policy " + std::to_string(policy);
        }
    }
    Scheduling taken_ = CurrentScheduling();
};

}  // namespace

std::vector<std::unique_ptr<ProcessAspect>> ResourceAspects(
    const std::vector<PrivateFolder> &privateFolders) {
    std::vector<std::unique_ptr<ProcessAspect>> aspects;
    aspects.push_back(std::make_unique<ThreadLocale>());
    aspects.push_back(std::make_unique<Umask>());
    aspects.push_back(std::make_unique<ResourceLimits>());
    aspects.push_back(std::make_unique<SignalMask>());
    aspects.push_back(std::make_unique<SignalActions>());
    aspects.push_back(std::make_unique<Timers>());
    aspects.push_back(std::make_unique<StreamFlags>());
    aspects.push_back(std::make_unique<Descriptors>());
    aspects.push_back(std::make_unique<SchedulingAspect>());
    for (const PrivateFolder &folder : privateFolders) {
        aspects.push_back(std::make_unique<FilesLeft>(folder));
    }
    return aspects;
}

}  // namespace standin::validator
