// Built into a host program of its own: between the first two outputs of a
// run taking their places it tells the test so, on standard error, and
// waits until the interruption the test then sends has arrived. The test
// drives the moment; no timer does.
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#endif

#include "standin/platform/output_files.h"
#include "standin/platform/temporary_files.h"

namespace {

void WaitForTheInterruption() {
    static bool told = false;
    if (told) return;
    told = true;
    std::fputs("between two commits\n", stderr);
    std::fflush(stderr);
    while (!standin::temporary_files::InterruptionWaiting()) {
#if defined(_WIN32)
        SwitchToThread();
#else
        sched_yield();
#endif
    }
}

const bool installed = (standin::SetBetweenCommitsHook(WaitForTheInterruption), true);

}  // namespace
