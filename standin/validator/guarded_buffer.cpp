#include "standin/validator/guarded_buffer.h"

#include <algorithm>
#include <functional>

namespace standin::validator {
namespace {

// The runs of offsets in [from, to) for which `differs` holds, as text.
std::string Runs(std::ptrdiff_t from, std::ptrdiff_t to, std::ptrdiff_t origin,
                 const std::function<bool(std::ptrdiff_t)> &differs) {
    std::string text;
    for (std::ptrdiff_t start = from; start < to; ++start) {
        if (!differs(start)) continue;
        std::ptrdiff_t end = start + 1;
        while (end < to && differs(end)) ++end;
        text += (text.empty() ? "" : ", ") + ByteRun(start - origin, end - 1 - origin);
        start = end;
    }
    return text;
}

}  // namespace

std::string ByteRun(std::ptrdiff_t first, std::ptrdiff_t last) {
    if (first == last) return "byte " + std::to_string(first);
    // Offsets before a buffer are negative: "bytes -4 to -1".
    const char *to = first < 0 ? " to " : "-";
    return "bytes " + std::to_string(first) + to + std::to_string(last);
}

GuardedBuffer::GuardedBuffer(std::size_t size, uint8_t fill)
    : size_(size), bytes_(size + 2 * kGuardBytes) {
    for (std::size_t at = 0; at < bytes_.size(); ++at) bytes_[at] = GuardByte(at);
    std::fill(bytes_.begin() + kGuardBytes, bytes_.begin() + kGuardBytes + size, fill);
}

GuardedBuffer::GuardedBuffer(const std::vector<uint8_t> &content)
    : GuardedBuffer(content.size(), 0) {
    std::copy(content.begin(), content.end(), Data());
}

std::vector<uint8_t> GuardedBuffer::Content() const { return {Data(), Data() + size_}; }

std::string GuardedBuffer::WritesOutside(const std::string &what) const {
    const auto guard = static_cast<std::ptrdiff_t>(kGuardBytes);
    const auto end = guard + static_cast<std::ptrdiff_t>(size_);
    const auto differs = [this](std::ptrdiff_t at) {
        return bytes_[static_cast<std::size_t>(at)] != GuardByte(static_cast<std::size_t>(at));
    };
    const std::string before = Runs(0, guard, guard, differs);
    const std::string after = Runs(end, static_cast<std::ptrdiff_t>(bytes_.size()), guard, differs);
    std::string text;
    if (!before.empty()) text = "wrote " + before + " before the start of " + what;
    if (!after.empty()) {
        text += (text.empty() ? "wrote " : "; wrote ") + after + " past the end of " + what;
    }
    return text;
}

std::string GuardedBuffer::ChangedInside(const std::vector<uint8_t> &before) const {
    const uint8_t *data = Data();
    return Runs(
        0, static_cast<std::ptrdiff_t>(std::min(size_, before.size())), 0,
        [&](std::ptrdiff_t at) { return data[at] != before[static_cast<std::size_t>(at)]; });
}

}  // namespace standin::validator
