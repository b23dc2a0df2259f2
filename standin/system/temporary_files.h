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
// or putting it in place and forgetting it, must each happen whole.
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

// Notes a temporary file; answers its slot, or -1 when all slots are taken
// or the path is too long to note (that file is then not removed). The
// first call starts watching for interruptions.
int Add(const std::string &path);
// The file is gone or in place: an interruption leaves it alone.
void Forget(int slot);

// Removes every noted temporary now, as an interruption does.
void RemoveAll();

}  // namespace standin::temporary_files
