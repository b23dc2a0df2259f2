// The host program's own seam to the file system: what a path is, reading a
// file whole within a limit, and replacing a file whole or not at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "standin/platform/errors.h"

namespace standin {

struct PathFacts {
    bool exists = false;
    bool regularFile = false;  // not a folder, device, pipe or socket
    bool folder = false;
    // A file one may replace: not marked read-only, and writable to us.
    bool writable = false;
    uint64_t size = 0;
    std::string reason;  // why it could not be looked at; empty when it exists
};

// How this platform spells paths: the characters that end a folder's name,
// and whether two names that differ only in case name one file.
const char *PathSeparators();
bool PathNamesIgnoreCase();

// Makes standard output and error carry the same bytes on every platform, and
// a write past a file-size limit fail and be reported rather than end the
// program before it can clean up.
void PrepareStandardStreams();

// The program's arguments in UTF-8, the encoding of every path the program
// handles: as given on Linux; on Windows from the wide command line, so
// that a path no code page holds arrives whole.
class ProgramArguments {
public:
    ProgramArguments(int argc, char **argv);
    int Count() const { return static_cast<int>(pointers_.size()) - 1; }
    char **Values() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char *> pointers_;  // into texts_, then null
};

// Follows links, as opening the path would.
PathFacts FactsOf(const std::string &path);

// Where writing to `path` puts the bytes: links followed to the file they
// lead to, which need not exist yet (writing through a link that leads
// nowhere makes its target, as a shell's redirection does). Throws FileError
// (refused) for links that loop.
std::string FinalTarget(const std::string &path);

// The bytes of a regular file, reading at most `limit` of them; throws
// FileError when the file cannot be read, and when it holds more.
std::string ReadRegularFile(const std::string &path, std::size_t limit);

// All of standard input, to its end, within the same limit; throws
// FileError when it cannot be read, and when it holds more.
std::string ReadStandardInput(std::size_t limit);

// A new file beside `target` (in the folder a link at `target` leads to),
// whose content replaces the target whole when committed. Until then the
// target is as it was; a replacement never committed, even when the program
// is interrupted, leaves nothing behind.
class ReplacementFile {
public:
    // Throws FileError when no file can be made in the target's folder.
    explicit ReplacementFile(const std::string &target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Writes all of `text` and flushes it to the disk; throws FileError.
    void Write(const std::string &text);
    // Puts the written file in the target's place in one step, keeping the
    // target's permissions (on POSIX its owner and group too, where the
    // system lets us), and makes the change to the folder durable; throws
    // FileError.
    void Commit();
    // Commit, but only while the target still holds `wasRead`: a program
    // that changed the file since it was read must not lose its change.
    // Another FINALE.EXE doing the same waits its turn. Throws FileError and
    // replaces nothing when the target changed.
    void CommitIfStill(const std::string &wasRead);

private:
    struct Handle;
    void Rename();
    std::string name_;    // as the user gave it, for messages
    std::string target_;  // where the content goes: links followed
    std::string temporary_;
    std::unique_ptr<Handle> handle_;
    int noted_ = -1;  // the temporary's slot among those an interruption removes
    bool committed_ = false;
};

// Answers the reason standard output could not be closed; empty when it
// closed (or was never open).
std::string CloseStandardOutput();

}  // namespace standin
