#include "standin/platform/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "standin/platform/file_access.h"

namespace standin {
namespace {

// Hands every write straight to the C library's standard output, whose own
// buffer keeps them in order with what is written there directly.
class WatchedOutput : public std::streambuf {
public:
    const std::string &Failure() const { return failure_; }
    void Note(const std::string &reason) {
        if (failure_.empty()) failure_ = reason;
    }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char *text, std::streamsize count) override {
        const std::size_t written = std::fwrite(text, 1, static_cast<std::size_t>(count), stdout);
        if (written != static_cast<std::size_t>(count)) NoteError();
        return static_cast<std::streamsize>(written);
    }

    int sync() override {
        if (std::fflush(stdout) == 0) return 0;
        NoteError();
        return -1;
    }

private:
    void NoteError() { Note(std::strerror(errno != 0 ? errno : EIO)); }

    std::string failure_;
};

// Never destroyed: the standard streams flush when the program ends, after
// every object it made is gone.
WatchedOutput &Watched() {
    static WatchedOutput *const watched = new WatchedOutput;
    return *watched;
}

}  // namespace

void WatchStandardOutput() { std::cout.rdbuf(&Watched()); }

std::string FinishStandardOutput() {
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Watched().Note(std::strerror(errno != 0 ? errno : EIO));
    }
    // A file system may report a write it could not finish only when the
    // file is closed.
    const std::string closing = CloseStandardOutput();
    if (!closing.empty()) Watched().Note(closing);
    return Watched().Failure();
}

}  // namespace standin
