// What a worker process tells the validator, a line each, on a private
// channel that the module is not told about and that no program it starts
// inherits (whatever the module prints goes elsewhere, and is kept apart):
//   cases 24              how many cases the check has
//   case 3 command=0,...  the parameters of case 3
//   runs 0 24             this worker runs cases 0 to 23
//   unlisted <why>        the cases could not be listed
//   nocase <why>          --case names no case of the check: bad input
//   begin 3               case 3 starts
//   note 3 <text>         what case 3 measured
//   trace <line>          one line of the host calls, for --trace
//   pass 3 / fail 3 <what was seen>
//   done                  every case asked for has ended
// Every line begins with the key the validator gave the worker; the
// validator takes only lines with it, and each in its turn: a case's
// result once, after it began.
// and, from a crash handler, as the worker ends (fault_context.h):
//   late 3 <what>         the module did <what>, which case 3 caused
//   crash <what>          the module did <what> in the case running
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace standin::validator::protocol {

// The longest line a worker sends; what was seen is cut to fit.
inline constexpr std::size_t kLongestLine = 4000;

// The exit status of a worker whose channel the module closed, or put
// something else in the place of: it could report nothing more.
inline constexpr int kChannelLostStatus = 87;

// The key the validator gave the worker, which begins every line it writes.
// Fixed storage and no allocation: a line is keyed in a crash handler too.
class ChannelKey {
public:
    // Room for a keyed line; a longer one is cut.
    static constexpr std::size_t kLineRoom = 8192;

    // Takes the key from its text; until then lines go out unkeyed.
    void Take(const char *key) {
        length_ = std::min(std::strlen(key), sizeof key_ - 1);
        std::memcpy(key_, key, length_);
        key_[length_++] = ' ';
    }

    // The key and as much of `bytes` after it as fits into `line`; answers
    // the bytes of `line` that hold them.
    std::size_t Keyed(const char *bytes, std::size_t count, char (&line)[kLineRoom]) const {
        std::memcpy(line, key_, length_);
        count = std::min(count, kLineRoom - length_);
        std::memcpy(line + length_, bytes, count);
        return length_ + count;
    }

private:
    char key_[128] = {};
    std::size_t length_ = 0;
};

// `text` on one line: line ends become spaces.
std::string OneLine(std::string text);

}  // namespace standin::validator::protocol
