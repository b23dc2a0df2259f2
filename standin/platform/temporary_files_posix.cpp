#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "standin/platform/temporary_files.h"

namespace standin::temporary_files {
namespace {

// The signals whose default is to end the program, as a user or the operating system
// sends them; SIGXFSZ is ignored (a write past a file-size limit then fails
// and is reported), and the program's own faults end it where it stands.
constexpr int kInterruptions[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE,
                                  SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU};

// A signal handler may neither allocate nor take a lock: the paths live in
// fixed slots, each marked in use only once its path is whole.
constexpr int kSlots = 32;
constexpr std::size_t kLongestPath = 4096;
char paths[kSlots][kLongestPath];
std::atomic<bool> inUse[kSlots];
std::atomic<bool> watching{false};

sigset_t Interruptions() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kInterruptions) sigaddset(&set, signal);
    return set;
}

void RemoveNoted() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (inUse[slot].load()) unlink(paths[slot]);
    }
}

// Removes the temporaries, then lets the signal end the program as it would
// have: it is blocked while this runs, and arrives again on return.
void OnInterruption(int signal) {
    RemoveNoted();
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

}  // namespace

// A signal the program was started ignoring (nohup, a background job) stays
// ignored.
void Watch() {
    if (watching.exchange(true)) return;
    struct sigaction handler {};
    handler.sa_handler = OnInterruption;
    handler.sa_mask = Interruptions();
    for (int signal : kInterruptions) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            sigaction(signal, &handler, nullptr);
        }
    }
}

struct Hold::Saved {
    sigset_t mask;
};

// The outermost hold unblocks the signals, and one that is pending then
// arrives before pthread_sigmask returns: nothing is left to do here.
Hold::Hold() : saved_(std::make_unique<Saved>()) {
    const sigset_t set = Interruptions();
    pthread_sigmask(SIG_BLOCK, &set, &saved_->mask);
}

Hold::~Hold() { pthread_sigmask(SIG_SETMASK, &saved_->mask, nullptr); }

int Add(const std::string &path) {
    Watch();
    if (path.size() >= kLongestPath) return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (inUse[slot].load()) continue;
        std::memcpy(paths[slot], path.c_str(), path.size() + 1);
        inUse[slot].store(true);
        return slot;
    }
    return -1;
}

void Forget(int slot) {
    if (slot >= 0 && slot < kSlots) inUse[slot].store(false);
}

void RemoveAll() {
    const Hold hold;
    RemoveNoted();
}

bool InterruptionWaiting() {
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0) return false;
    for (int signal : kInterruptions) {
        if (sigismember(&pending, signal) == 1) return true;
    }
    return false;
}

}  // namespace standin::temporary_files
