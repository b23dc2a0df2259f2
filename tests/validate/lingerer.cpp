// A program that a faulty module starts and leaves running: it lingers for
// ten minutes, now and then printing into the streams it was given, as a
// background helper does.
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
void Wait() { Sleep(1000); }
#else
#include <unistd.h>
void Wait() { sleep(1); }
#endif

int main() {
    for (int second = 0; second < 600; ++second) {
        std::puts("still here");
        std::fflush(stdout);
        Wait();
    }
    return 0;
}
