// What a worker's crash report says besides the fault itself: which entry
// point was running, and whether the fault belongs to the case that caused
// it rather than to the case running when it was seen: a write into a host
// buffer after the call that handed it over had returned, or a crash in a
// thread a module left running after an earlier case. Kept in fixed tables
// that a crash handler reads without allocating or locking.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin::validator {

inline constexpr std::size_t kNoCase = SIZE_MAX;

// The case the worker runs now, by its number in the check; kNoCase
// between cases.
void SetCurrentCase(std::size_t number);
std::size_t CurrentCase();

// The entry point running now ("FinaleExtensionInvoke"); null when none.
void SetRunningEntryPoint(const char *name);
const char *RunningEntryPoint();

// The worker's own thread: a fault in another is the module's thread's.
void SetMainThread(uint64_t thread);
// A thread the module left running, first seen in the current case.
void NoteLeftThread(uint64_t thread);

// A host buffer the current case handed over and took back: its pages,
// where in them the buffer itself begins, and `what` names it ("the
// selection record FinaleExtensionInvoke handed over"), a text that lives
// as long as the program.
void NoteRetiredBuffer(const uint8_t *pages, std::size_t bytes, const uint8_t *data,
                       const char *what);

// True for the first fault of the process only, whose report stands: the
// handler of a fault may lead to another (AddressSanitizer's aborts), and
// another thread may fault meanwhile.
bool FirstFault();
// Whether a fault has been reported: the worker then reports nothing more
// and waits for the end.
bool FaultReported();

// A fault, as the platform tells it.
struct FaultFacts {
    // "signal 11 (SIGSEGV)", "exception 0xC0000005 (access violation)".
    const char *kind = "";
    bool hasAddress = false;  // the memory it touched, when known
    uintptr_t address = 0;
    enum class Access { Unknown, Read, Write } access = Access::Unknown;
    uint64_t thread = 0;
    // Where: the module the faulting instruction lies in, its offset there
    // and the nearest symbol, when the platform tells.
    const char *module = nullptr;
    uintptr_t offset = 0;
    const char *symbol = nullptr;
};

// The report line, without its line end, into `out`; answers its length.
//   late <case> <what>   the fault belongs to an earlier or the current case
//   crash <what>         it happened in the case running now
// <what> follows "the module ...": "crashed the host during
// FinaleExtensionInvoke: signal 11 (SIGSEGV) writing to address 0x0, at
// small.fxt+0x11a9 (FinaleExtensionInvoke)".
std::size_t ComposeFaultReport(const FaultFacts &facts, char *out, std::size_t room);

}  // namespace standin::validator
