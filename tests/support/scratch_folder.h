// What the recording tests stand on: a folder of their own, the environment
// variable that turns recording on, and a disk that is nearly full.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace scratch {

namespace fs = std::filesystem;

// A new empty folder, removed with all it holds when the test ends.
class Folder {
public:
    // Named for the process and numbered within it: test programs run side
    // by side, each making and removing folders of its own.
    Folder() {
        const fs::path base = fs::temp_directory_path();
        const std::string process = std::to_string(ProcessId());
        for (unsigned i = 0;; ++i) {
            path_ = base / ("karvo-scratch-" + process + "-" + std::to_string(i));
            std::error_code error;
            if (fs::create_directory(path_, error)) break;
            if (error && error != std::errc::file_exists) {
                throw fs::filesystem_error("no scratch folder", path_, error);
            }
        }
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const fs::path &Path() const { return path_; }
    std::string Text() const { return path_.string(); }

    // The names of the files it holds.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto &entry : fs::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    void Put(const std::string &name, const std::string &text = "") const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }

    std::string Read(const std::string &name) const {
        std::ifstream file(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

private:
    static unsigned long ProcessId() {
#if defined(_WIN32)
        return GetCurrentProcessId();
#else
        return static_cast<unsigned long>(getpid());
#endif
    }
    fs::path path_;
};

// Sets an environment variable (none: unsets it) for the life of the
// object, then puts back what it held.
class Environment {
public:
    Environment(const char *name, const char *value) : name_(name) {
        if (const char *before = std::getenv(name)) before_ = before;
        Set(value);
    }
    ~Environment() { Set(before_ ? before_->c_str() : nullptr); }
    Environment(const Environment &) = delete;
    Environment &operator=(const Environment &) = delete;

private:
    void Set(const char *value) {
#if defined(_WIN32)
        // Both the C runtime's copy and the system's, which the plug-in reads.
        _putenv_s(name_.c_str(), value != nullptr ? value : "");
        SetEnvironmentVariableA(name_.c_str(), value);
#else
        if (value != nullptr) {
            setenv(name_.c_str(), value, 1);
        } else {
            unsetenv(name_.c_str());
        }
#endif
    }
    std::string name_;
    std::optional<std::string> before_;
};

#if !defined(_WIN32)
// A disk with `bytes` left for any one file, as on a nearly full one: a
// write past it fails rather than ends the program.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit before_{};
    void (*signal_)(int) = nullptr;
};
#endif

}  // namespace scratch
