#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "standin/file_system.h"
#include "standin/file_system_text.h"

namespace standin {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// A link's final target, so that replacing it keeps the link.
std::string Resolved(const std::string &path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

ProgramArguments::ProgramArguments(int argc, char **argv) : texts_(argv, argv + argc) {
    for (std::string &text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

PathFacts FactsOf(const std::string &path) {
    PathFacts facts;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        facts.reason = Reason(errno);
        return facts;
    }
    facts.exists = true;
    facts.regularFile = S_ISREG(status.st_mode);
    facts.folder = S_ISDIR(status.st_mode);
    // No write bit at all marks a file read-only even for the superuser,
    // whom access() lets write anything.
    facts.writable = (status.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
    facts.size = static_cast<uint64_t>(status.st_size);
    return facts;
}

std::string ReadRegularFile(const std::string &path, std::size_t limit) {
    CheckReadable(path, FactsOf(path), limit);
    // Not blocking: the path may have been swapped for a pipe since.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) throw FileError(CannotRead(path, Reason(errno)));
    struct stat status {};
    std::string text;
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        throw FileError(CannotRead(path, "not a regular file"));
    }
    char block[65536];
    for (;;) {
        const ssize_t count = read(file, block, sizeof block);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            const int error = errno;
            close(file);
            throw FileError(CannotRead(path, Reason(error)));
        }
        if (count == 0) break;
        text.append(block, static_cast<std::size_t>(count));
        if (text.size() > limit) {
            close(file);
            throw FileError(TooLarge(path, limit));
        }
    }
    close(file);
    return text;
}

struct ReplacementFile::Handle {
    int file = -1;
};

ReplacementFile::ReplacementFile(const std::string &target)
    : name_(target), target_(Resolved(target)), handle_(std::make_unique<Handle>()) {
    std::string pattern = TemporaryNameBeside(target_) + "XXXXXX";
    handle_->file = mkostemp(pattern.data(), O_CLOEXEC);
    if (handle_->file < 0) throw FileError(CannotWrite(name_, Reason(errno)));
    temporary_ = pattern;
    // A new file gets what the user's file creation mask allows; a replaced
    // one keeps its own permissions.
    struct stat status {};
    mode_t mode = 0;
    if (stat(target_.c_str(), &status) == 0) {
        mode = status.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(handle_->file, mode);
}

ReplacementFile::~ReplacementFile() {
    if (handle_->file >= 0) close(handle_->file);
    if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

void ReplacementFile::Write(const std::string &text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = write(handle_->file, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw FileError(CannotWrite(name_, Reason(errno)));
        written += static_cast<std::size_t>(count);
    }
    const int file = handle_->file;
    handle_->file = -1;
    const bool synced = fsync(file) == 0;
    const int syncError = errno;
    if (close(file) != 0 || !synced) {
        throw FileError(CannotWrite(name_, Reason(synced ? errno : syncError)));
    }
}

void ReplacementFile::Commit() {
    if (rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw FileError(CannotWrite(name_, Reason(errno)));
    }
    committed_ = true;
}

void PrepareStandardStreams() { std::signal(SIGXFSZ, SIG_IGN); }

const char *PathSeparators() { return "/"; }

bool PathNamesIgnoreCase() { return false; }

}  // namespace standin
