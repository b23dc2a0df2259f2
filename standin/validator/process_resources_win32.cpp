#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "standin/platform/wide_text_win32.h"
#include "standin/validator/process_resources.h"

namespace standin::validator {
namespace {

std::string Listed(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string Hex(unsigned long value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
    return text;
}

// The error mode of the host's thread (SetThreadErrorMode), apart from the
// process's: with SEM_FAILCRITICALERRORS the host's later file access on a
// missing drive fails without asking the user.
class ThreadErrorMode : public ProcessAspect {
public:
    std::string Changed() override {
        const DWORD now = GetThreadErrorMode();
        return now == taken_ ? ""
                             : "changed the error mode of the host's thread from " +
                                   Hex(taken_, 4) + " to " + Hex(now, 4);
    }
    void Restore() override { SetThreadErrorMode(taken_, nullptr); }

private:
    DWORD taken_ = GetThreadErrorMode();
};

// The Windows locale of the host's thread (SetThreadLocale), which the
// system's formatting of numbers and dates on that thread follows.
class ThreadLocale : public ProcessAspect {
public:
    std::string Changed() override {
        const LCID now = GetThreadLocale();
        return now == taken_ ? ""
                             : "changed the locale of the host's thread (SetThreadLocale) from " +
                                   Hex(taken_, 4) + " to " + Hex(now, 4);
    }
    void Restore() override { SetThreadLocale(taken_); }

private:
    LCID taken_ = GetThreadLocale();
};

struct Scheduling {
    int threadPriority = THREAD_PRIORITY_NORMAL;
    DWORD priorityClass = NORMAL_PRIORITY_CLASS;
    DWORD_PTR affinity = 0;
};

Scheduling CurrentScheduling() {
    Scheduling now;
    now.threadPriority = GetThreadPriority(GetCurrentThread());
    now.priorityClass = GetPriorityClass(GetCurrentProcess());
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &now.affinity, &system)) now.affinity = 0;
    return now;
}

std::string ThreadPriorityName(int priority) {
    switch (priority) {
        case THREAD_PRIORITY_IDLE:
            return "idle";
        case THREAD_PRIORITY_LOWEST:
            return "lowest";
        case THREAD_PRIORITY_BELOW_NORMAL:
            return "below normal";
        case THREAD_PRIORITY_NORMAL:
            return "normal";
        case THREAD_PRIORITY_ABOVE_NORMAL:
            return "above normal";
        case THREAD_PRIORITY_HIGHEST:
            return "highest";
        case THREAD_PRIORITY_TIME_CRITICAL:
            return "time critical";
        default:
            return std::to_string(priority);
    }
}

std::string PriorityClassName(DWORD priorityClass) {
    switch (priorityClass) {
        case IDLE_PRIORITY_CLASS:
            return "idle";
        case BELOW_NORMAL_PRIORITY_CLASS:
            return "below normal";
        case NORMAL_PRIORITY_CLASS:
            return "normal";
        case ABOVE_NORMAL_PRIORITY_CLASS:
            return "above normal";
        case HIGH_PRIORITY_CLASS:
            return "high";
        case REALTIME_PRIORITY_CLASS:
            return "realtime";
        default:
            return Hex(priorityClass, 4);
    }
}

int ProcessorCount(DWORD_PTR mask) {
    int count = 0;
    for (; mask != 0; mask &= mask - 1) ++count;
    return count;
}

// The host's scheduling: its thread's priority, the process's priority
// class and the processors it may run on. A host kept to one processor, or
// with its thread raised over the user's other programs, answers late or
// makes them do so.
class SchedulingAspect : public ProcessAspect {
public:
    std::string Changed() override {
        const Scheduling now = CurrentScheduling();
        std::vector<std::string> changed;
        if (now.threadPriority != taken_.threadPriority) {
            changed.push_back("thread priority (" + ThreadPriorityName(taken_.threadPriority) +
                              " to " + ThreadPriorityName(now.threadPriority) + ")");
        }
        if (now.priorityClass != taken_.priorityClass) {
            changed.push_back("priority class (" + PriorityClassName(taken_.priorityClass) +
                              " to " + PriorityClassName(now.priorityClass) + ")");
        }
        if (now.affinity != taken_.affinity) {
            changed.push_back("processors (" + std::to_string(ProcessorCount(taken_.affinity)) +
                              " to " + std::to_string(ProcessorCount(now.affinity)) + ")");
        }
        return changed.empty() ? "" : "changed the host's scheduling: " + Listed(changed);
    }
    void Restore() override {
        SetThreadPriority(GetCurrentThread(), taken_.threadPriority);
        SetPriorityClass(GetCurrentProcess(), taken_.priorityClass);
        if (taken_.affinity != 0) SetProcessAffinityMask(GetCurrentProcess(), taken_.affinity);
    }

private:
    Scheduling taken_ = CurrentScheduling();
};

// The folder the system searches for a library the host loads by name
// after its own (SetDllDirectory): the host would load another's library.
// GetDllDirectory answers the same empty text whether none was set or the
// current folder was taken out of the search; the two are one here.
class DllDirectory : public ProcessAspect {
public:
    std::string Changed() override {
        const std::wstring now = Now();
        if (now == taken_) return {};
        return "changed the DLL search folder (SetDllDirectory) from '" + Narrow(taken_.c_str()) +
               "' to '" + Narrow(now.c_str()) + "'";
    }
    void Restore() override { SetDllDirectoryW(taken_.empty() ? nullptr : taken_.c_str()); }

private:
    static std::wstring Now() {
        wchar_t folder[MAX_PATH + 1] = {};
        const DWORD length = GetDllDirectoryW(MAX_PATH + 1, folder);
        return length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
    }
    std::wstring taken_ = Now();
};

// The C runtime's handler of each of its signals, which the host and its
// modules share: SIGABRT's is the host's crash report, SIGINT's and
// SIGBREAK's its answer to the console's Ctrl+C. The runtime has no way to
// ask for one without setting it, so each is set to itself.
class CrtSignals : public ProcessAspect {
public:
    CrtSignals() {
        for (std::size_t i = 0; i < kCount; ++i) taken_[i] = Handler(kSignals[i]);
    }
    std::string Changed() override {
        std::vector<std::string> changed;
        for (std::size_t i = 0; i < kCount; ++i) {
            if (Handler(kSignals[i]) != taken_[i]) changed.push_back(kNames[i]);
        }
        return changed.empty() ? "" : "changed the host's handling of " + Listed(changed);
    }
    void Restore() override {
        for (std::size_t i = 0; i < kCount; ++i) std::signal(kSignals[i], taken_[i]);
    }

private:
    using HandlerFunction = void (*)(int);
    static constexpr std::size_t kCount = 7;
    static constexpr int kSignals[kCount] = {SIGINT,  SIGILL,   SIGFPE, SIGSEGV,
                                             SIGTERM, SIGBREAK, SIGABRT};
    static constexpr const char *kNames[kCount] = {"SIGINT",  "SIGILL",   "SIGFPE", "SIGSEGV",
                                                   "SIGTERM", "SIGBREAK", "SIGABRT"};
    static HandlerFunction Handler(int number) {
        const HandlerFunction now = std::signal(number, SIG_DFL);
        std::signal(number, now);
        return now;
    }
    HandlerFunction taken_[kCount] = {};
};

// How the C runtime translates each standard stream (_setmode): a module
// that makes the host's standard output UTF-16 text has every later printf
// of the host's fail, one that makes it binary has its line ends change.
// As with the signals, a mode is read by setting it, then put back.
class StreamModes : public ProcessAspect {
public:
    StreamModes() {
        for (int stream = 0; stream < 3; ++stream) taken_[stream] = Mode(stream);
    }
    std::string Changed() override {
        std::vector<std::string> changed;
        for (int stream = 0; stream < 3; ++stream) {
            const int now = Mode(stream);
            if (now == taken_[stream]) continue;
            changed.push_back(std::string(kNames[stream]) + " (" + ModeName(taken_[stream]) +
                              " to " + ModeName(now) + ")");
        }
        return changed.empty() ? ""
                               : "changed the translation mode of the host's " + Listed(changed);
    }
    void Restore() override {
        for (int stream = 0; stream < 3; ++stream) {
            if (taken_[stream] != -1) _setmode(stream, taken_[stream]);
        }
    }

private:
    static constexpr const char *kNames[3] = {"standard input", "standard output",
                                              "standard error"};
    // -1 for a stream the runtime has not open.
    static int Mode(int stream) {
        const int now = _setmode(stream, _O_TEXT);
        if (now != -1 && now != _O_TEXT) _setmode(stream, now);
        return now;
    }
    static std::string ModeName(int mode) {
        switch (mode) {
            case _O_TEXT:
                return "text";
            case _O_BINARY:
                return "binary";
            case _O_WTEXT:
                return "wide text";
            case _O_U16TEXT:
                return "UTF-16 text";
            case _O_U8TEXT:
                return "UTF-8 text";
            case -1:
                return "closed";
            default:
                return Hex(static_cast<unsigned long>(mode), 5);
        }
    }
    int taken_[3] = {-1, -1, -1};
};

}  // namespace

// The validator makes a worker no private folders on Windows: there are
// none to list.
std::vector<std::unique_ptr<ProcessAspect>> ResourceAspects(const std::vector<PrivateFolder> &) {
    std::vector<std::unique_ptr<ProcessAspect>> aspects;
    aspects.push_back(std::make_unique<ThreadErrorMode>());
    aspects.push_back(std::make_unique<ThreadLocale>());
    aspects.push_back(std::make_unique<SchedulingAspect>());
    aspects.push_back(std::make_unique<DllDirectory>());
    aspects.push_back(std::make_unique<CrtSignals>());
    aspects.push_back(std::make_unique<StreamModes>());
    return aspects;
}

}  // namespace standin::validator
