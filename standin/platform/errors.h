// The errors the host program reports to its user rather than as a fault of
// its own: what was asked of it could not be done, and the message says why.
#pragma once

#include <stdexcept>
#include <string>

namespace standin {

// Bad input to the host program: the message names what was wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be read or written; the message names the file and
// gives the reason the operating system gave.
class FileError : public std::runtime_error {
public:
    // `refused`: the path cannot take a file as asked (no such folder, no
    // permission, a read-only file system, links that loop), which is the
    // request's fault; otherwise the operating system failed (a full disk, say).
    explicit FileError(const std::string &what, bool refused = false)
        : std::runtime_error(what), refused_(refused) {}
    bool Refused() const { return refused_; }

private:
    bool refused_;
};

}  // namespace standin
