// Linux: the environment, and files written through their descriptors.
#include "platform/recording_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

// An empty folder is the current one.
std::string Join(const NativePath &folder, const std::string &name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

// All of `text`, through short writes; false at the first that fails.
bool WriteAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(descriptor, text.data(), text.size());
        if (written < 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

struct FolderCloser {
    void operator()(DIR *folder) const { closedir(folder); }
};

}  // namespace

bool RecordingFolder(NativePath &folder) {
    const char *value = std::getenv(KARVO_RECORD_DIR_VARIABLE);
    if (value == nullptr || *value == '\0') return false;
    folder = value;
    return true;
}

NewFile WriteNewFile(const NativePath &folder, const std::string &name,
                     std::initializer_list<std::string_view> pieces) {
    const std::string path = Join(folder, name);
    const std::string temporary = path + ".tmp";
    // Readable by the user alone: a recording holds the user's document.
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) return errno == EEXIST ? NewFile::kNameTaken : NewFile::kFailed;
    bool written = true;
    for (const std::string_view piece : pieces) written = written && WriteAll(descriptor, piece);
    // A disk that fails only its flush or its close cannot be made in a test.
    written = written && fsync(descriptor) == 0;  // GCOVR_EXCL_BR_LINE
    written = close(descriptor) == 0 && written;  // GCOVR_EXCL_BR_LINE
    if (!written) {
        unlink(temporary.c_str());
        return NewFile::kFailed;
    }
    // A link, unlike a rename, never replaces a file that has the name.
    const bool linked = link(temporary.c_str(), path.c_str()) == 0;
    const int error = errno;
    unlink(temporary.c_str());
    if (linked) return NewFile::kWritten;
    // Both names are in one folder that took the temporary file a moment
    // ago: only another writer's file of the same name stops the link.
    return error == EEXIST ? NewFile::kNameTaken : NewFile::kFailed;  // GCOVR_EXCL_BR_LINE
}

bool FileNamesBeginning(const NativePath &folder, const std::string &prefix,
                        std::vector<std::string> &names) {
    const std::unique_ptr<DIR, FolderCloser> listing(opendir(folder.c_str()));
    if (!listing) return false;
    while (const dirent *entry = readdir(listing.get())) {
        const std::string_view entryName(entry->d_name);
        if (entryName.substr(0, prefix.size()) == prefix) names.emplace_back(entryName);
    }
    return true;
}

bool FileBegins(const NativePath &folder, const std::string &name, std::string_view start) {
    // Not blocking: a pipe of that name must not hold the command up.
    const int descriptor = open(Join(folder, name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status {};
    const bool regular =
        fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);  // GCOVR_EXCL_BR_LINE
    std::string head(start.size(), '\0');
    std::size_t held = 0;
    while (regular && held < head.size()) {
        const ssize_t count = read(descriptor, &head[held], head.size() - held);
        // The end, or a failure: what was read is all there is.
        if (count <= 0) break;
        held += static_cast<std::size_t>(count);
    }
    close(descriptor);
    return regular && held == head.size() && head == start;
}

bool RemoveFile(const NativePath &folder, const std::string &name) {
    return unlink(Join(folder, name).c_str()) == 0;
}

}  // namespace platform
