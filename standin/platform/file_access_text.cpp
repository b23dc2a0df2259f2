#include "standin/platform/file_access_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace standin {

std::string CannotRead(const std::string &path, const std::string &reason) {
    return "cannot read '" + path + "': " + reason;
}

std::string CannotWrite(const std::string &path, const std::string &reason) {
    return "cannot write '" + path + "': " + reason;
}

std::string TooLarge(const std::string &path, std::size_t limit) {
    constexpr std::size_t kMiB = 1u << 20;
    const std::string amount = limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB"
                                                 : std::to_string(limit) + " bytes";
    return CannotRead(path, "larger than the limit of " + amount);
}

std::string ChangedSinceRead(const std::string &path) {
    return CannotWrite(path,
                       "it changed after it was read (another program wrote it); nothing "
                       "was replaced: run again on what it holds now");
}

void RequireReadable(const std::string &path, const PathFacts &facts, std::size_t limit) {
    if (path == "-") {
        throw FileError(CannotRead(path,
                                   "only a document is read from standard input; give the "
                                   "file's path (./- for a file named -)"));
    }
    if (!facts.exists) throw FileError(CannotRead(path, facts.reason));
    if (facts.folder) throw FileError(CannotRead(path, "a folder, not a file"));
    if (!facts.regularFile) {
        throw FileError(CannotRead(path, "not a regular file (a device, pipe or socket)"));
    }
    if (facts.size > limit) throw FileError(TooLarge(path, limit));
}

std::string ReadStandardInput(std::size_t limit) {
    std::string text;
    char block[65536];
    // Standard input is binary on every platform (PrepareStandardStreams).
    while (text.size() <= limit) {
        const std::size_t count = std::fread(block, 1, sizeof block, stdin);
        text.append(block, count);
        if (count < sizeof block) break;
    }
    if (std::ferror(stdin) != 0) {
        throw FileError("cannot read standard input: " + std::string(std::strerror(errno)));
    }
    if (text.size() > limit) {
        // "cannot read '-': larger than ...", said of standard input.
        throw FileError("cannot read standard input" + TooLarge("", limit).substr(14));
    }
    return text;
}

std::string TemporaryNameBeside(const std::string &target) {
    const auto slash = target.find_last_of(PathSeparators());
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".tmp-";
}

}  // namespace standin
