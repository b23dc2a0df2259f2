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
#else
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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
    {"Environment", SetVariable, "changed the environment: KARVO_TEST_VARIABLE"},
    {"StandardOutput",
     [] {
         std::fflush(stdout);
         if (std::freopen(kNullDevice, "w", stdout) == nullptr) std::abort();
     },
     "redirected or closed the host's standard output"},
    {"SignalHandling", TakeOverASignal, kSignalTakenOver},
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

// A thread that waits until it is told to end.
class WaitingThread {
public:
#if defined(_WIN32)
    WaitingThread() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = CreateThread(
            nullptr, 0,
            [](void *stop) -> DWORD {
                return WaitForSingleObject(static_cast<HANDLE>(stop), INFINITE);
            },
            stop_, 0, nullptr);
    }
    ~WaitingThread() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
    }

private:
    HANDLE stop_, thread_;
#else
    WaitingThread() {
        if (pipe(stop_) != 0) std::abort();
        pthread_create(
            &thread_, nullptr,
            [](void *stop) -> void * {
                char byte;
                return read(*static_cast<int *>(stop), &byte, 1) >= 0 ? nullptr : nullptr;
            },
            &stop_[0]);
    }
    ~WaitingThread() {
        close(stop_[1]);
        pthread_join(thread_, nullptr);
        close(stop_[0]);
    }

private:
    int stop_[2];
    pthread_t thread_;
#endif
};

TEST(LeftRunning, AThreadIsReportedOnce) {
    ProcessWatch watch;
    const WaitingThread thread;
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

}  // namespace
