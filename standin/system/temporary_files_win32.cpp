#include <windows.h>

#include <cstring>

#include "standin/system/temporary_files.h"
#include "standin/system/wide_text_win32.h"

namespace standin::temporary_files {
namespace {

// Windows calls the console handler on a thread of its own, beside the
// program's: the slots are guarded by a lock that the handler takes and
// never gives back, so that nothing is made or put in place after it has
// cleaned up and before the process ends.
constexpr int kSlots = 32;
constexpr std::size_t kLongestPath = 4 * MAX_PATH;
// Kept in UTF-16, ready for the handler, which must not convert or allocate.
wchar_t paths[kSlots][kLongestPath];
bool inUse[kSlots];

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

// Ctrl-C, Ctrl-Break, a closed console, logoff or shutdown: the temporaries
// go, and the default handler then ends the process as it would have.
BOOL WINAPI OnConsoleEvent(DWORD) {
    EnterCriticalSection(&Lock());
    RemoveNoted();
    return FALSE;
}

void Watch() {
    static const bool watching = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    (void)watching;
}

}  // namespace

struct Hold::Saved {};

Hold::Hold() { EnterCriticalSection(&Lock()); }

Hold::~Hold() { LeaveCriticalSection(&Lock()); }

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

}  // namespace standin::temporary_files
