// A program that a faulty module starts and leaves running. Given
// "--background" it starts itself again, says "started <process id>" and
// ends at once, as a helper that puts itself in the background does;
// otherwise it lingers for ten minutes, now and then printing into the
// streams it was given.
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
void Wait() { Sleep(1000); }
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
    for (int second = 0; second < 600; ++second) {
        std::puts("still here");
        std::fflush(stdout);
        Wait();
    }
    return 0;
}
