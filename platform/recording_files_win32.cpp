// Windows: the environment and files through the kernel's UTF-16 functions,
// so that a folder named in any script works.
#include "platform/recording_files.h"

#include <windows.h>

#include <string>

namespace platform {
namespace {

constexpr wchar_t kVariable[] = L"" KARVO_RECORD_DIR_VARIABLE;

// A path to hand the kernel: the folder (an empty one is the current one),
// a separator where none ends it, the ASCII name and a terminating zero.
NativePath Join(const NativePath &folder, const std::string &name) {
    NativePath path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path.push_back(L'\\');
    path.insert(path.end(), name.begin(), name.end());
    path.push_back(L'\0');
    return path;
}

bool WriteAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        // WriteFile takes 32-bit lengths; a recording is far shorter.
        DWORD written = 0;
        if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

// Ends a directory search however the listing ends.
struct SearchCloser {
    HANDLE search;
    ~SearchCloser() { FindClose(search); }
};

}  // namespace

bool RecordingFolder(NativePath &folder) {
    // The length with its terminating zero; 0 when unset, 1 when empty.
    const DWORD needed = GetEnvironmentVariableW(kVariable, nullptr, 0);
    if (needed <= 1) return false;
    folder.assign(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(kVariable, folder.data(), needed);
    // Changed between the two reads: taken as not asked for.
    if (length == 0 || length >= needed) return false;
    folder.resize(length);
    return true;
}

NewFile WriteNewFile(const NativePath &folder, const std::string &name,
                     std::initializer_list<std::string_view> pieces) {
    const NativePath path = Join(folder, name);
    const NativePath temporary = Join(folder, name + ".tmp");
    const HANDLE file = CreateFileW(temporary.data(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_EXISTS ? NewFile::kNameTaken : NewFile::kFailed;
    }
    bool written = true;
    for (const std::string_view piece : pieces) written = written && WriteAll(file, piece);
    written = written && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    if (!written) {
        DeleteFileW(temporary.data());
        return NewFile::kFailed;
    }
    // Without MOVEFILE_REPLACE_EXISTING the move never replaces a file that
    // has the name.
    if (MoveFileExW(temporary.data(), path.data(), MOVEFILE_WRITE_THROUGH)) {
        return NewFile::kWritten;
    }
    const DWORD error = GetLastError();
    DeleteFileW(temporary.data());
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NewFile::kNameTaken
                                                                       : NewFile::kFailed;
}

bool FileNamesBeginning(const NativePath &folder, const std::string &prefix,
                        std::vector<std::string> &names) {
    const NativePath pattern = Join(folder, prefix + "*");
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern.data(), &found);
    // No file of the pattern is an empty list; a missing folder is a failure.
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const SearchCloser closer{search};
    do {
        std::string name;
        bool ascii = true;
        for (const wchar_t *c = found.cFileName; *c != L'\0' && ascii; ++c) {
            ascii = *c < 0x80;
            name += static_cast<char>(*c);
        }
        // The search ignores case; the names asked for do not.
        if (ascii && name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    } while (FindNextFileW(search, &found));
    return true;
}

bool FileBegins(const NativePath &folder, const std::string &name, std::string_view start) {
    // A folder of that name does not open without backup semantics.
    const HANDLE file = CreateFileW(Join(folder, name).data(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string head(start.size(), '\0');
    std::size_t held = 0;
    while (held < head.size()) {
        DWORD count = 0;
        if (!ReadFile(file, &head[held], static_cast<DWORD>(head.size() - held), &count, nullptr) ||
            count == 0) {
            break;
        }
        held += count;
    }
    CloseHandle(file);
    return held == head.size() && head == start;
}

bool RemoveFile(const NativePath &folder, const std::string &name) {
    return DeleteFileW(Join(folder, name).data()) != 0;
}

}  // namespace platform
