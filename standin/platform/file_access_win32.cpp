#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "standin/platform/file_access.h"
#include "standin/platform/file_access_text.h"
#include "standin/platform/temporary_files.h"
#include "standin/platform/wide_text_win32.h"

namespace standin {
namespace {

// The operating system's reason for the last failure, worded as the C library words
// it where there is a word for it, so that both builds say the same.
std::string Reason(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return std::strerror(ENOENT);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return std::strerror(EACCES);
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
            return std::strerror(ENOSPC);
        case ERROR_WRITE_PROTECT:
            return std::strerror(EROFS);
        case ERROR_FILENAME_EXCED_RANGE:
            return std::strerror(ENAMETOOLONG);
        case ERROR_CANT_RESOLVE_FILENAME:
            return "Too many levels of symbolic links";
        default:
            break;
    }
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return (reason.empty() ? std::string("failed") : reason) + " (Windows error " +
           std::to_string(error) + ")";
}

std::string LastReason() { return Reason(GetLastError()); }

// Errors that say the path cannot take a file as asked, rather than that
// the operating system failed.
bool IsRefusal(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_CANT_RESOLVE_FILENAME:
            return true;
        default:
            return false;
    }
}

FileError WriteError(const std::string &path, DWORD error) {
    return FileError(CannotWrite(path, Reason(error)), IsRefusal(error));
}

// A handle closed when it goes out of scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() {
        if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Reads at most `limit` bytes; false on a read error.
bool ReadAtMost(HANDLE file, std::size_t limit, std::string &text) {
    char block[65536];
    while (text.size() <= limit) {
        DWORD count = 0;
        if (!ReadFile(file, block, sizeof block, &count, nullptr)) return false;
        if (count == 0) break;
        text.append(block, count);
    }
    return true;
}

// While it lives, no other FINALE.EXE checks and replaces `target`: a
// named lock of the session, one per file.
class ReplacingLock {
public:
    explicit ReplacingLock(const std::string &target) {
        // The target's full name, as the operating system gives it, hashed (FNV-1a):
        // a lock's name has no room for a path.
        uint64_t hash = 14695981039346656037ull;
        for (char c : target) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        const std::string name =
            "Local\\KarvoIndentSystem.FINALE.EXE.replacing." + std::to_string(hash);
        mutex_ = CreateMutexA(nullptr, FALSE, name.c_str());
        if (mutex_ != nullptr) WaitForSingleObject(mutex_, INFINITE);
    }
    ~ReplacingLock() {
        if (mutex_ == nullptr) return;
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    ReplacingLock(const ReplacingLock &) = delete;
    ReplacingLock &operator=(const ReplacingLock &) = delete;

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace

// A link's final target, so that replacing it keeps the link. Windows
// names no target for a link that leads nowhere: that one is refused.
std::string FinalTarget(const std::string &path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_CANT_RESOLVE_FILENAME) throw WriteError(path, error);
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            throw FileError(CannotWrite(path,
                                        "a link that leads to no file; make the file it "
                                        "names first, or write elsewhere"),
                            true);
        }
        return path;
    }
    wchar_t resolved[MAX_PATH * 4];
    const DWORD length =
        GetFinalPathNameByHandleW(file, resolved, sizeof resolved / sizeof resolved[0], 0);
    CloseHandle(file);
    if (length == 0 || length >= sizeof resolved / sizeof resolved[0]) return path;
    std::string text = Narrow(resolved, static_cast<int>(length));
    return text.rfind("\\\\?\\", 0) == 0 ? text.substr(4) : text;
}

ProgramArguments::ProgramArguments(int argc, char **argv) {
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        texts_.assign(argv, argv + argc);
    } else {
        for (int i = 0; i < count; ++i) texts_.push_back(Narrow(wide[i]));
        LocalFree(wide);
    }
    for (std::string &text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

PathFacts FactsOf(const std::string &path) {
    PathFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        facts.reason = LastReason();
        return facts;
    }
    facts.exists = true;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.regularFile = !facts.folder && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    facts.writable = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    facts.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return facts;
}

std::string ReadRegularFile(const std::string &path, std::size_t limit) {
    RequireReadable(path, FactsOf(path), limit);
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw FileError(CannotRead(path, LastReason()));
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        throw FileError(CannotRead(path, "not a regular file (a device, pipe or socket)"));
    }
    std::string text;
    char block[65536];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, block, sizeof block, &count, nullptr)) {
            const std::string reason = LastReason();
            CloseHandle(file);
            throw FileError(CannotRead(path, reason));
        }
        if (count == 0) break;
        text.append(block, count);
        if (text.size() > limit) {
            CloseHandle(file);
            throw FileError(TooLarge(path, limit));
        }
    }
    CloseHandle(file);
    return text;
}

struct ReplacementFile::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
};

ReplacementFile::ReplacementFile(const std::string &target)
    : name_(target), target_(FinalTarget(target)), handle_(std::make_unique<Handle>()) {
    const std::string start =
        TemporaryNameBeside(target_) + std::to_string(GetCurrentProcessId()) + "-";
    for (unsigned attempt = 0;; ++attempt) {
        const std::string candidate = start + std::to_string(attempt);
        const temporary_files::Hold hold;
        // Shared for deletion only: an interruption removes it while open.
        handle_->file = CreateFileW(Wide(candidate).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_->file != INVALID_HANDLE_VALUE) {
            temporary_ = candidate;
            noted_ = temporary_files::Add(temporary_);
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 1000) throw WriteError(name_, error);
    }
}

ReplacementFile::~ReplacementFile() {
    if (handle_->file != INVALID_HANDLE_VALUE) CloseHandle(handle_->file);
    if (committed_ || temporary_.empty()) return;
    const temporary_files::Hold hold;
    DeleteFileW(Wide(temporary_).c_str());
    temporary_files::Forget(noted_);
}

void ReplacementFile::Write(const std::string &text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 20));
        DWORD count = 0;
        if (!WriteFile(handle_->file, text.data() + written, chunk, &count, nullptr)) {
            throw WriteError(name_, GetLastError());
        }
        // A write that takes nothing would never end.
        if (count == 0) throw FileError(CannotWrite(name_, Reason(ERROR_DISK_FULL)));
        written += count;
    }
    const HANDLE file = handle_->file;
    handle_->file = INVALID_HANDLE_VALUE;
    const bool flushed = FlushFileBuffers(file) != 0;
    const DWORD flushError = GetLastError();
    if (!CloseHandle(file) || !flushed) {
        throw FileError(CannotWrite(name_, Reason(flushed ? GetLastError() : flushError)));
    }
}

void ReplacementFile::Rename() {
    const temporary_files::Hold hold;
    // One step: an existing target is replaced, never first removed.
    if (!MoveFileExW(Wide(temporary_).c_str(), Wide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw WriteError(name_, GetLastError());
    }
    committed_ = true;
    temporary_files::Forget(noted_);
}

void ReplacementFile::Commit() { Rename(); }

void ReplacementFile::CommitIfStill(const std::string &wasRead) {
    const ReplacingLock lock(target_);
    {
        // No other program may write it while it is compared; the file is
        // closed again before the rename, which an open file would refuse.
        const OwnedHandle file(CreateFileW(Wide(target_).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::string holds;
        if (file.Get() == INVALID_HANDLE_VALUE || !ReadAtMost(file.Get(), wasRead.size(), holds) ||
            holds != wasRead) {
            throw FileError(ChangedSinceRead(name_));
        }
    }
    Rename();
}

// No line ends rewritten on the way in or out; a file-size limit is no
// signal here. A Ctrl-C at any time ends the run with the status of an
// interrupted one, not with the 0 of Wine's own handler.
void PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    temporary_files::Watch();
}

const char *PathSeparators() { return "/\\"; }

std::string CloseStandardOutput() {
    // Never open: nothing was lost.
    return _close(_fileno(stdout)) == 0 || errno == EBADF ? std::string() : std::strerror(errno);
}

bool PathNamesIgnoreCase() { return true; }

}  // namespace standin
