// What a module changes of the process is found after the call and put
// back, so that the next case starts from the host's process; what it
// leaves running is reported once.
#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cstdio>
#include <functional>
#include <locale>
#include <string>

#include "standin/validator/process_state.h"

#if defined(_WIN32)
#include <windows.h>

#include <fcntl.h>
#include <float.h>
#include <io.h>

#include <csignal>
#else
#include <fcntl.h>
#include <locale.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "standin/validator/process_resources.h"
#endif

namespace {

using standin::validator::ProcessWatch;

#if defined(_WIN32)
constexpr const char *kNullDevice = "NUL";
constexpr const char *kAnotherLocale = "German";
void GoUpAFolder() { SetCurrentDirectoryA(".."); }
void SetVariable() { SetEnvironmentVariableA("KARVO_TEST_VARIABLE", "set"); }
void TakeOverASignal() {
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS *) -> LONG { return 0; });
}
constexpr const char *kSignalTakenOver = "changed the host's unhandled-exception filter";
void TrapDivisionByZero() {
    unsigned int word = 0;
    _controlfp_s(&word, 0, _EM_ZERODIVIDE);
}
#else
constexpr const char *kNullDevice = "/dev/null";
constexpr const char *kAnotherLocale = "C.UTF-8";
void GoUpAFolder() {
    if (chdir("..") != 0) std::abort();
}
void SetVariable() { setenv("KARVO_TEST_VARIABLE", "set", 1); }
void TakeOverASignal() {
    signal(SIGPIPE, [](int) {});
}
constexpr const char *kSignalTakenOver = "changed the host's handling of SIGPIPE";
void TrapDivisionByZero() { feenableexcept(FE_DIVBYZERO); }
#endif

struct Change {
    const char *name;
    std::function<void()> make;
    const char *reported;
};

const Change kChanges[] = {
    {"CurrentFolder", GoUpAFolder, "changed the current folder from '"},
    {"CLocale", [] { std::setlocale(LC_ALL, kAnotherLocale); },
     "changed the C locale from 'C' to '"},
    {"CppLocale",
     [] { std::locale::global(std::locale(std::locale::classic(), new std::numpunct<char>)); },
     "changed the C++ global locale from 'C' to '*'"},
    {"FloatingPointRounding", [] { std::fesetround(FE_UPWARD); },
     "changed the floating-point control state (SSE 0x1F80 to 0x5F80, x87 0x"},
    {"FloatingPointTrap", TrapDivisionByZero,
     "changed the floating-point control state (SSE 0x1F80 to 0x1D80, x87 0x"},
    {"Environment", SetVariable, "changed the environment: KARVO_TEST_VARIABLE"},
    {"StandardOutput",
     [] {
         std::fflush(stdout);
         if (std::freopen(kNullDevice, "w", stdout) == nullptr) std::abort();
     },
     "redirected or closed the host's standard output"},
    {"SignalHandling", TakeOverASignal, kSignalTakenOver},
#if defined(_WIN32)
    {"ErrorMode", [] { SetErrorMode(GetErrorMode() ^ SEM_NOOPENFILEERRORBOX); },
     "changed the host's error mode"},
    {"ThreadErrorMode",
     [] { SetThreadErrorMode(GetThreadErrorMode() ^ SEM_NOOPENFILEERRORBOX, nullptr); },
     "changed the error mode of the host's thread from 0x"},
    {"ThreadLocale", [] { SetThreadLocale(GetThreadLocale() == 0x0407 ? 0x0409 : 0x0407); },
     "changed the locale of the host's thread (SetThreadLocale) from 0x"},
    {"ThreadPriority", [] { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST); },
     "changed the host's scheduling: thread priority (normal to highest)"},
    {"PriorityClass", [] { SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS); },
     "changed the host's scheduling: priority class (normal to below normal)"},
    {"DllDirectory", [] { SetDllDirectoryA("C:\\"); },
     "changed the DLL search folder (SetDllDirectory) from '' to 'C:\\'"},
    {"CrtSignal", [] { std::signal(SIGFPE, [](int) {}); }, "changed the host's handling of SIGFPE"},
    {"StreamMode", [] { _setmode(2, _O_BINARY); },
     "changed the translation mode of the host's standard error (text to binary)"},
#else
    {"ThreadLocale",
     [] {
         static const locale_t another = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
         uselocale(another);
     },
     "gave the host's thread a locale of its own (uselocale)"},
    {"Umask", [] { umask(umask(0) == 077 ? 022 : 077); }, "changed the umask from "},
    {"ResourceLimit",
     [] {
         rlimit files{};
         getrlimit(RLIMIT_NOFILE, &files);
         --files.rlim_cur;
         setrlimit(RLIMIT_NOFILE, &files);
     },
     "changed the resource limits RLIMIT_NOFILE"},
    {"SignalMask",
     [] {
         sigset_t signals;
         sigemptyset(&signals);
         sigaddset(&signals, SIGUSR2);
         pthread_sigmask(SIG_BLOCK, &signals, nullptr);
     },
     "blocked SIGUSR2 on the host's thread"},
    {"SignalFlags",
     [] {
         struct sigaction children {};
         sigaction(SIGCHLD, nullptr, &children);
         children.sa_flags ^= SA_NOCLDSTOP;
         sigaction(SIGCHLD, &children, nullptr);
     },
     "changed the flags or the mask of the host's handling of SIGCHLD"},
    {"IntervalTimer",
     [] {
         itimerval hour{};
         hour.it_value.tv_sec = 3600;
         setitimer(ITIMER_VIRTUAL, &hour, nullptr);
     },
     "armed the interval timer ITIMER_VIRTUAL"},
    {"CreatedTimer",
     [] {
         sigevent none{};
         none.sigev_notify = SIGEV_NONE;
         timer_t timer{};
         timer_create(CLOCK_MONOTONIC, &none, &timer);
     },
     "left 1 timer of its own (timer_create)"},
    {"StreamFlags", [] { fcntl(STDERR_FILENO, F_SETFL, fcntl(STDERR_FILENO, F_GETFL) ^ O_APPEND); },
     "changed the status flags of the host's standard "},
    {"OpenFile", [] { open("/dev/null", O_RDONLY | O_CLOEXEC); },
     "left 1 descriptor open: '/dev/null'"},
    {"Socket", [] { socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0); },
     "left 1 descriptor open: a socket"},
    {"SchedulingPolicy",
     [] {
         sched_param none{};
         sched_setscheduler(0, SCHED_BATCH, &none);
     },
     "changed the host's scheduling: policy (SCHED_OTHER to SCHED_BATCH)"},
#endif
};

class ProcessChanges : public ::testing::TestWithParam<Change> {};

TEST_P(ProcessChanges, AreReportedOnceAndPutBack) {
    ProcessWatch watch;
    ASSERT_EQ(watch.Check(), std::vector<std::string>{});
    GetParam().make();
    const std::vector<std::string> changes = watch.Check();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].rfind(GetParam().reported, 0), 0u) << changes[0];
    EXPECT_EQ(watch.Check(), std::vector<std::string>{}) << "it was not put back";
}

INSTANTIATE_TEST_SUITE_P(Changes, ProcessChanges, ::testing::ValuesIn(kChanges),
                         [](const auto &info) { return std::string(info.param.name); });

// The processors the host may run on, where it has more than one to lose.
TEST(Scheduling, FewerProcessorsAreReportedAndPutBack) {
#if defined(_WIN32)
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
    if ((process & (process - 1)) == 0) GTEST_SKIP() << "the host runs on one processor";
    const auto keepToOne = [process] {
        SetProcessAffinityMask(GetCurrentProcess(), process & ~(process - 1));
    };
#else
    cpu_set_t processors;
    ASSERT_EQ(sched_getaffinity(0, sizeof processors, &processors), 0);
    if (CPU_COUNT(&processors) < 2) GTEST_SKIP() << "the host runs on one processor";
    const auto keepToOne = [processors] {
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &processors)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        sched_setaffinity(0, sizeof one, &one);
    };
#endif
    const std::string reported = "changed the host's scheduling: processors (";
    ProcessWatch watch;
    keepToOne();
    const std::vector<std::string> changes = watch.Check();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].rfind(reported, 0), 0u) << changes[0];
    EXPECT_NE(changes[0].find(" to 1)"), std::string::npos) << changes[0];
    EXPECT_EQ(watch.Check(), std::vector<std::string>{}) << "it was not put back";
}

// A thread that waits until it is told to end.
class WaitingThread {
public:
#if defined(_WIN32)
    WaitingThread() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void Start() {
        thread_ = CreateThread(
            nullptr, 0,
            [](void *stop) -> DWORD {
                return WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
            },
            stop_, 0, nullptr);
    }
    ~WaitingThread() {
        SetEvent(stop_);
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        CloseHandle(stop_);
    }

private:
    HANDLE stop_, thread_ = nullptr;
#else
    WaitingThread() {
        if (pipe(stop_) != 0) std::abort();
    }
    // Started apart from the pipe it waits on, which is no thread.
    void Start() {
        pthread_create(
            &thread_, nullptr,
            [](void *stop) -> void * {
                char byte;
                return read(*static_cast<int *>(stop), &byte, 1) >= 0 ? nullptr : nullptr;
            },
            &stop_[0]);
        started_ = true;
    }
    ~WaitingThread() {
        close(stop_[1]);
        if (!started_) return;
        pthread_join(thread_, nullptr);
        close(stop_[0]);
    }

private:
    int stop_[2];
    pthread_t thread_{};
    bool started_ = false;
#endif
};

TEST(LeftRunning, AThreadIsReportedOnce) {
    WaitingThread thread;
    ProcessWatch watch;
    thread.Start();
    EXPECT_EQ(watch.Check(), std::vector<std::string>{"left 1 thread running"});
    EXPECT_EQ(watch.Check(), std::vector<std::string>{});
}

#if !defined(_WIN32)
TEST(LeftRunning, AProcessIsReportedAndEnded) {
    ProcessWatch watch;
    const pid_t child = fork();
    if (child == 0) {
        // Waits until it is ended, whatever the time the watch takes.
        for (;;) pause();
    }
    ASSERT_GT(child, 0);
    EXPECT_EQ(watch.Check(),
              std::vector<std::string>{"started 1 process of its own and left it to the host"});
    EXPECT_EQ(kill(child, 0), -1) << "it still runs";
    EXPECT_EQ(watch.Check(), std::vector<std::string>{});
    // Should the watch have left it, it ends here.
    if (kill(child, SIGKILL) == 0) waitpid(child, nullptr, 0);
}
#endif

#if !defined(_WIN32)
// A descriptor the module left open is reported once; when it closes it
// later, no descriptor of the host's was closed.
TEST(LeftOpen, ADescriptorIsReportedOnceAndItsCloseIsTheModules) {
    ProcessWatch watch;
    const int kept = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(kept, 0);
    EXPECT_EQ(watch.Check(), std::vector<std::string>{"left 1 descriptor open: '/dev/null'"});
    EXPECT_EQ(watch.Check(), std::vector<std::string>{});
    close(kept);
    EXPECT_EQ(watch.Check(), std::vector<std::string>{});
    const int another = open("/dev/null", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(watch.Check(), std::vector<std::string>{"left 1 descriptor open: '/dev/null'"})
        << "a number used before is not the host's";
    close(another);
}

// A file left in a folder that was the worker's alone is named and removed;
// one that was there when it was taken is the host's.
TEST(LeftBehind, AFileInAPrivateFolderIsReportedAndRemoved) {
    char pattern[] = "/tmp/process-state-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string hosts = folder + "/host.txt", left = folder + "/left.txt";
    const auto make = [](const std::string &path) { std::fclose(std::fopen(path.c_str(), "w")); };
    make(hosts);
    auto aspects = standin::validator::ResourceAspects({{folder, "the folder"}});
    standin::validator::ProcessAspect &files = *aspects.back();
    make(left);
    EXPECT_EQ(files.Changed(), "left 'left.txt' in the folder");
    files.Restore();
    EXPECT_NE(access(left.c_str(), F_OK), 0) << "it was not removed";
    EXPECT_EQ(access(hosts.c_str(), F_OK), 0) << "the host's own was removed";
    EXPECT_EQ(files.Changed(), "");
    std::remove(hosts.c_str());
    rmdir(folder.c_str());
}
#endif

}  // namespace
