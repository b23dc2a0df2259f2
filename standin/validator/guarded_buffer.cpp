#include "standin/validator/guarded_buffer.h"

#include <algorithm>
#include <functional>

#include "standin/validator/fault_context.h"
#include "standin/validator/validator_platform.h"

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

// Pages handed out in order from larger runs of them.
uint8_t *TakePages(std::size_t bytes) {
    constexpr std::size_t kRunPages = 256;
    static uint8_t *next = nullptr;
    static std::size_t left = 0;
    if (bytes > left) {
        const std::size_t run = std::max(bytes, kRunPages * PageBytes());
        next = AllocatePages(run);
        left = run;
    }
    uint8_t *taken = next;
    next += bytes;
    left -= bytes;
    return taken;
}

std::size_t WholePages(std::size_t bytes) {
    const std::size_t page = PageBytes();
    return (bytes + page - 1) / page * page;
}

}  // namespace

std::string ByteRun(std::ptrdiff_t first, std::ptrdiff_t last) {
    if (first == last) return "byte " + std::to_string(first);
    // Offsets before a buffer are negative: "bytes -4 to -1".
    const char *to = first < 0 ? " to " : "-";
    return "bytes " + std::to_string(first) + to + std::to_string(last);
}

GuardedBuffer::GuardedBuffer(std::size_t size, uint8_t fill)
    : size_(size), bytes_(WholePages(size + 2 * kGuardBytes)), pages_(TakePages(bytes_)) {
    for (std::size_t at = 0; at < bytes_; ++at) pages_[at] = GuardByte(at);
    std::fill(pages_ + kGuardBytes, pages_ + kGuardBytes + size, fill);
}

GuardedBuffer::GuardedBuffer(const std::vector<uint8_t> &content)
    : GuardedBuffer(content.size(), 0) {
    std::copy(content.begin(), content.end(), Data());
}

std::vector<uint8_t> GuardedBuffer::Content() const { return {Data(), Data() + size_}; }

GuardedBuffer::~GuardedBuffer() {
    if (retired_) WithdrawPages(pages_, bytes_);
}

void GuardedBuffer::Retire(const char *what) {
    ProtectPages(pages_, bytes_);
    NoteRetiredBuffer(pages_, bytes_, Data(), what);
    retired_ = true;
}

std::string GuardedBuffer::WritesOutside(const std::string &what) const {
    const auto guard = static_cast<std::ptrdiff_t>(kGuardBytes);
    const auto end = guard + static_cast<std::ptrdiff_t>(size_);
    const auto differs = [this](std::ptrdiff_t at) {
        return pages_[at] != GuardByte(static_cast<std::size_t>(at));
    };
    const std::string before = Runs(0, guard, guard, differs);
    const std::string after = Runs(end, static_cast<std::ptrdiff_t>(bytes_), guard, differs);
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
