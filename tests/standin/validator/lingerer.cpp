// A program that a faulty module starts and leaves running. Given
// "--background" it starts itself again, says "started <process id>" and
// ends at once, as a helper that puts itself in the background does;
// otherwise it lingers for ten minutes, now and then printing into the
// streams it was given. Run as a validator's worker (the last arguments
// "--channel <channel>"), it reports "running" there once it has printed,
// so that a test can count its time from then.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
void Wait() { Sleep(1000); }
void Report(const char *channel, const char *line) {
    const auto pipe = reinterpret_cast<HANDLE>(std::strtoull(channel, nullptr, 10));
    DWORD written = 0;
    WriteFile(pipe, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}
void KeepOnWhenNoOneReads() {}
unsigned long StartAgain(char *) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, self, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
}
#else
#include <signal.h>
#include <spawn.h>
#include <unistd.h>
extern char **environ;
void Wait() { sleep(1); }
void Report(const char *channel, const char *line) {
    const ssize_t written = write(std::atoi(channel), line, std::strlen(line));
    static_cast<void>(written);
}
// Printing into a pipe no one reads any more does not end it.
void KeepOnWhenNoOneReads() { signal(SIGPIPE, SIG_IGN); }
unsigned long StartAgain(char *program) {
    char *argv[] = {program, nullptr};
    pid_t child = 0;
    return posix_spawn(&child, program, nullptr, nullptr, argv, environ) == 0 ? child : 0;
}
#endif

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--background") == 0) {
        std::printf("started %lu\n", StartAgain(argv[0]));
        return 0;
    }
    KeepOnWhenNoOneReads();
    const char *channel =
        argc > 2 && std::strcmp(argv[argc - 2], "--channel") == 0 ? argv[argc - 1] : nullptr;
    for (int second = 0; second < 600; ++second) {
        std::puts("still here");
        std::fflush(stdout);
        if (second == 0 && channel != nullptr) Report(channel, "running\n");
        Wait();
    }
    return 0;
}
