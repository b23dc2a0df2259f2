#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "standin/file_system.h"
#include "standin/file_system_text.h"
#include "standin/wide_text_win32.h"

namespace standin {
namespace {

// The system's reason for the last failure, worded as the C library words
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
        default:
            break;
    }
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == '.' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return (reason.empty() ? std::string("failed") : reason) + " (Windows error " +
           std::to_string(error) + ")";
}

std::string LastReason() { return Reason(GetLastError()); }

// A link's final target, so that replacing it keeps the link.
std::string Resolved(const std::string &path) {
    const HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    wchar_t resolved[MAX_PATH * 4];
    const DWORD length =
        GetFinalPathNameByHandleW(file, resolved, sizeof resolved / sizeof resolved[0], 0);
    CloseHandle(file);
    if (length == 0 || length >= sizeof resolved / sizeof resolved[0]) return path;
    std::string text = Narrow(resolved, static_cast<int>(length));
    return text.rfind("\\\\?\\", 0) == 0 ? text.substr(4) : text;
}

}  // namespace

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
    CheckReadable(path, FactsOf(path), limit);
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
    : name_(target), target_(Resolved(target)), handle_(std::make_unique<Handle>()) {
    const std::string start =
        TemporaryNameBeside(target_) + std::to_string(GetCurrentProcessId()) + "-";
    for (unsigned attempt = 0;; ++attempt) {
        const std::string candidate = start + std::to_string(attempt);
        handle_->file = CreateFileW(Wide(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_->file != INVALID_HANDLE_VALUE) {
            temporary_ = candidate;
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 1000) {
            throw FileError(CannotWrite(name_, Reason(error)));
        }
    }
}

ReplacementFile::~ReplacementFile() {
    if (handle_->file != INVALID_HANDLE_VALUE) CloseHandle(handle_->file);
    if (!committed_ && !temporary_.empty()) DeleteFileW(Wide(temporary_).c_str());
}

void ReplacementFile::Write(const std::string &text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 20));
        DWORD count = 0;
        if (!WriteFile(handle_->file, text.data() + written, chunk, &count, nullptr)) {
            throw FileError(CannotWrite(name_, LastReason()));
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

void ReplacementFile::Commit() {
    // One step: an existing target is replaced, never first removed.
    if (!MoveFileExW(Wide(temporary_).c_str(), Wide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw FileError(CannotWrite(name_, LastReason()));
    }
    committed_ = true;
}

// No line ends rewritten on the way out; a file-size limit is no signal here.
void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

const char *PathSeparators() { return "/\\"; }

bool PathNamesIgnoreCase() { return true; }

}  // namespace standin
