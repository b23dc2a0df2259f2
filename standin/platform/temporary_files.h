// The temporary files the program has made and not yet put in place, so that
// an interruption that ends it leaves none behind: on POSIX a signal whose
// default is to end the program (Ctrl-C, a closed terminal, kill, a pipe
// closed under it...), on Windows Ctrl-C, Ctrl-Break or a closed console.
// The program ends as the interruption would have ended it; only the
// temporaries go first.
#pragma once

#include <memory>
#include <string>

namespace standin::temporary_files {

// While one lives, an interruption waits: making a temporary and noting it,
// or putting all of a run's outputs in place, must each happen whole. Holds
// nest; when the outermost ends, an interruption that arrived meanwhile
// ends the program then, as it would have, and never with status 0 (on
// POSIX the signal itself; on Windows STATUS_CONTROL_C_EXIT, as Windows
// gives a program that Ctrl-C ended).
class Hold {
public:
    Hold();
    ~Hold();
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    struct Saved;  // what the system needs to let interruptions in again
    std::unique_ptr<Saved> saved_;
};

// Starts watching for interruptions, once; Add does too. On Windows the
// program calls it first thing: a Ctrl-C before any file is made must
// still end the run with the status of an interrupted one.
void Watch();

// Notes a temporary file; answers its slot, or -1 when all slots are taken
// or the path is too long to note (that file is then not removed).
int Add(const std::string &path);
// The file is gone or in place: an interruption leaves it alone.
void Forget(int slot);

// Removes every noted temporary now, as an interruption does.
void RemoveAll();

// Whether an interruption arrived and waits for the holds to end: for a
// test that must know its signal got here before it lets the program on.
bool InterruptionWaiting();

}  // namespace standin::temporary_files
