#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "standin/platform/file_access.h"
#include "standin/platform/file_access_text.h"
#include "standin/platform/temporary_files.h"

namespace standin {
namespace {

// As many links as the operating system itself follows in one path.
constexpr int kMostLinks = 40;

std::string Reason(int error) { return std::strerror(error); }

// Errors that say the path cannot take a file as asked, rather than that
// the operating system failed.
bool IsRefusal(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case EACCES:
        case EPERM:
        case EROFS:
        case ENAMETOOLONG:
        case ELOOP:
        case EISDIR:
            return true;
        default:
            return false;
    }
}

FileError WriteError(const std::string &path, int error) {
    return FileError(CannotWrite(path, Reason(error)), IsRefusal(error));
}

std::string FolderOf(const std::string &path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int file) : file_(file) {}
    ~Descriptor() {
        if (file_ >= 0) close(file_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int Get() const { return file_; }

private:
    int file_;
};

// Reads at most `limit` bytes; false on a read error.
bool ReadAtMost(int file, std::size_t limit, std::string &text) {
    char block[65536];
    while (text.size() <= limit) {
        const ssize_t count = read(file, block, sizeof block);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) break;
        text.append(block, static_cast<std::size_t>(count));
    }
    return true;
}

// The file's owner, group and permissions go to the file that replaces it.
// Only the superuser may give a file away, and a user only to a group of
// theirs: what the operating system refuses stays the replacing user's.
void TakeOwnerAndMode(int file, const std::string &target) {
    struct stat status {};
    if (stat(target.c_str(), &status) != 0) {
        // A new file gets what the user's file creation mask allows.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(file, 0666 & ~mask);
        return;
    }
    if (fchown(file, status.st_uid, status.st_gid) != 0) {
        fchown(file, static_cast<uid_t>(-1), status.st_gid);
    }
    // After the owner: changing the owner clears the set-user and
    // set-group bits.
    fchmod(file, status.st_mode & 07777);
}

// Makes the renaming in the folder durable: a rename is a change to the
// folder, which the file's own flush does not cover. File systems that
// cannot flush a folder say so with EINVAL, and need not.
void SyncFolder(const std::string &target, const std::string &name) {
    const Descriptor folder(open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) return;
    if (fsync(folder.Get()) != 0 && errno != EINVAL) {
        throw FileError(CannotWrite(name, Reason(errno) +
                                              " (the file is in place, but the system did not "
                                              "confirm that it reached the disk)"));
    }
}

}  // namespace

std::string FinalTarget(const std::string &path) {
    std::string current = path;
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
        std::vector<char> text(static_cast<std::size_t>(status.st_size) + 256);
        const ssize_t length = readlink(current.c_str(), text.data(), text.size());
        if (length < 0 || static_cast<std::size_t>(length) >= text.size()) return current;
        const std::string leadsTo(text.data(), static_cast<std::size_t>(length));
        // A relative link is read from the folder that holds it.
        const auto slash = current.rfind('/');
        current = leadsTo[0] == '/' || slash == std::string::npos
                      ? leadsTo
                      : current.substr(0, slash + 1) + leadsTo;
    }
    throw WriteError(path, ELOOP);
}

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
    RequireReadable(path, FactsOf(path), limit);
    // Not blocking: the path may have been swapped for a pipe since.
    const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) throw FileError(CannotRead(path, Reason(errno)));
    struct stat status {};
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        throw FileError(CannotRead(path, "not a regular file"));
    }
    std::string text;
    if (!ReadAtMost(file.Get(), limit, text)) throw FileError(CannotRead(path, Reason(errno)));
    if (text.size() > limit) throw FileError(TooLarge(path, limit));
    return text;
}

struct ReplacementFile::Handle {
    int file = -1;
};

ReplacementFile::ReplacementFile(const std::string &target)
    : name_(target), target_(FinalTarget(target)), handle_(std::make_unique<Handle>()) {
    std::string pattern = TemporaryNameBeside(target_) + "XXXXXX";
    {
        const temporary_files::Hold hold;
        handle_->file = mkostemp(pattern.data(), O_CLOEXEC);
        if (handle_->file < 0) throw WriteError(name_, errno);
        temporary_ = pattern;
        noted_ = temporary_files::Add(temporary_);
    }
    TakeOwnerAndMode(handle_->file, target_);
}

ReplacementFile::~ReplacementFile() {
    if (handle_->file >= 0) close(handle_->file);
    if (committed_ || temporary_.empty()) return;
    const temporary_files::Hold hold;
    unlink(temporary_.c_str());
    temporary_files::Forget(noted_);
}

void ReplacementFile::Write(const std::string &text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = write(handle_->file, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) throw WriteError(name_, errno);
        written += static_cast<std::size_t>(count);
    }
    const int file = handle_->file;
    handle_->file = -1;
    const bool synced = fsync(file) == 0;
    const int syncError = errno;
    if (close(file) != 0 || !synced) throw WriteError(name_, synced ? errno : syncError);
}

void ReplacementFile::Rename() {
    {
        const temporary_files::Hold hold;
        if (rename(temporary_.c_str(), target_.c_str()) != 0) throw WriteError(name_, errno);
        committed_ = true;
        temporary_files::Forget(noted_);
    }
    SyncFolder(target_, name_);
}

void ReplacementFile::Commit() { Rename(); }

void ReplacementFile::CommitIfStill(const std::string &wasRead) {
    const Descriptor file(open(target_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) throw FileError(ChangedSinceRead(name_));
    // Another FINALE.EXE replacing this file holds the lock while it checks
    // and renames; one that waited here then finds a file other than the
    // one it locked at the target, and knows it was replaced.
    while (flock(file.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) throw WriteError(name_, errno);
    }
    struct stat locked = {};
    struct stat now = {};
    std::string holds;
    const bool same = fstat(file.Get(), &locked) == 0 && stat(target_.c_str(), &now) == 0 &&
                      locked.st_dev == now.st_dev && locked.st_ino == now.st_ino &&
                      ReadAtMost(file.Get(), wasRead.size(), holds) && holds == wasRead;
    if (!same) throw FileError(ChangedSinceRead(name_));
    Rename();
}

void PrepareStandardStreams() { std::signal(SIGXFSZ, SIG_IGN); }

const char *PathSeparators() { return "/"; }

std::string CloseStandardOutput() {
    // Never open: nothing was lost.
    return close(STDOUT_FILENO) == 0 || errno == EBADF ? std::string() : Reason(errno);
}

bool PathNamesIgnoreCase() { return false; }

}  // namespace standin
