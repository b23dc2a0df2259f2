// The files a command writes, decided and checked before it runs, then
// written together: each one whole, and none unless all could be written.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace standin {

// An output path of "-" stands for standard output.
bool IsStandardOutput(const std::string &path);

struct Output {
    std::string option;  // the option that asked for it, for messages
    std::string path;    // "-": standard output
    // --in-place: replaces the input file, which must still hold these
    // bytes (what was read) when it is replaced.
    std::optional<std::string> overInput = std::nullopt;
};

struct Input {
    std::string what;  // "the input document"
    std::string path;
    // An output over it may be meant as a change to it: --in-place does that.
    bool changeable = false;
};

// Throws UsageError for outputs that could not all be written as asked: two
// to one file, or two to standard output; one over an input file, unless it
// is meant to be; one over a folder, device or anything but a regular file;
// one over a read-only file; one in a folder where no file can be made
// (with the operating system's reason). Throws FileError when the operating system cannot make
// a file there for want of room.
void VetOutputs(const std::vector<Output> &outputs, const std::vector<Input> &inputs);

// `texts` in the order of `outputs`. Every file is written to a new file
// beside it first; only when all are written do they take their targets'
// places, an input being replaced first (and nothing at all when it changed
// since it was read). They take them in one step that no interruption
// splits: one that arrives meanwhile waits until every output is in place,
// then ends the program. Standard output gets its text last. Throws
// FileError.
void WriteOutputs(const std::vector<Output> &outputs, const std::vector<std::string> &texts,
                  std::ostream &standardOutput);

// For tests: called after each output but the last takes its place, while
// interruptions wait. None by default.
using BetweenCommits = void (*)();
void SetBetweenCommitsHook(BetweenCommits hook);

}  // namespace standin
