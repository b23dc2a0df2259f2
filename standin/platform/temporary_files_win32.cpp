#include <windows.h>

#include <atomic>
#include <cstring>

#include "standin/platform/temporary_files.h"
#include "standin/platform/wide_text_win32.h"

namespace standin::temporary_files {
namespace {

// Windows calls the console handler on a thread of its own, beside the
// program's: the slots are guarded by a lock that the handler takes and
// never gives back, so that nothing is made or put in place after it has
// cleaned up and before the process ends.
constexpr int kSlots = 32;
constexpr std::size_t kLongestPath = 4 * MAX_PATH;
// What Windows gives a program that Ctrl-C ended. The program ends itself
// with it: Wine's own handler would end it with 0, as if it had finished.
constexpr UINT kInterruptedStatus = 0xC000013A;  // STATUS_CONTROL_C_EXIT
// Kept in UTF-16, ready for the handler, which must not convert or allocate.
wchar_t paths[kSlots][kLongestPath];
bool inUse[kSlots];
// Set by the handler before it waits for the lock; read by a hold's end.
std::atomic<bool> interrupted{false};
// Holds open on the program's thread; changed only under the lock.
int holds = 0;

CRITICAL_SECTION &Lock() {
    static CRITICAL_SECTION lock;
    static const bool made = (InitializeCriticalSection(&lock), true);
    (void)made;
    return lock;
}

// A temporary still open for writing is shared for deletion: it goes when
// the process ends and closes it.
void RemoveNoted() {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (inUse[slot]) DeleteFileW(paths[slot]);
    }
}

// With the lock held: the temporaries go and the process ends at once, on
// whichever thread gets here first; nothing else runs after.
[[noreturn]] void EndInterrupted() {
    RemoveNoted();
    TerminateProcess(GetCurrentProcess(), kInterruptedStatus);
    ExitProcess(kInterruptedStatus);
}

// Ctrl-C, Ctrl-Break, a closed console, logoff or shutdown. While the
// program holds the lock the handler waits, and the hold's end acts on it.
BOOL WINAPI OnConsoleEvent(DWORD) {
    interrupted.store(true);
    EnterCriticalSection(&Lock());
    EndInterrupted();
}

}  // namespace

void Watch() {
    static const bool watching = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    (void)watching;
}

struct Hold::Saved {};

Hold::Hold() {
    EnterCriticalSection(&Lock());
    ++holds;
}

Hold::~Hold() {
    // The handler's thread waits for the lock; the program must not go on
    // and end with its own status before that thread gets it.
    if (--holds == 0 && interrupted.load()) EndInterrupted();
    LeaveCriticalSection(&Lock());
}

int Add(const std::string &path) {
    Watch();
    const std::wstring wide = Wide(path);
    if (wide.size() >= kLongestPath) return -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (inUse[slot]) continue;
        std::memcpy(paths[slot], wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        inUse[slot] = true;
        return slot;
    }
    return -1;
}

void Forget(int slot) {
    if (slot >= 0 && slot < kSlots) inUse[slot] = false;
}

void RemoveAll() {
    const Hold hold;
    RemoveNoted();
}

bool InterruptionWaiting() { return interrupted.load(); }

}  // namespace standin::temporary_files
