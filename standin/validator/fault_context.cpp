#include "standin/validator/fault_context.h"

#include <atomic>

namespace standin::validator {
namespace {

// Enough for every host buffer of the longest check (about six a case, a
// thousand cases); later ones are protected all the same, only not named.
constexpr std::size_t kMostRetiredBuffers = 16384;
constexpr std::size_t kMostLeftThreads = 256;

struct RetiredBuffer {
    const uint8_t *start;  // of its pages
    std::size_t bytes;
    const uint8_t *data;
    std::size_t number;  // the case
    const char *what;
};

struct LeftThread {
    uint64_t thread;
    std::size_t number;
};

std::atomic<std::size_t> currentCase{kNoCase};
std::atomic<bool> faultReported{false};
std::atomic<const char *> runningEntryPoint{nullptr};
std::atomic<uint64_t> mainThread{0};
// Each entry is written before the count that makes it visible.
RetiredBuffer retired[kMostRetiredBuffers];
std::atomic<std::size_t> retiredCount{0};
LeftThread leftThreads[kMostLeftThreads];
std::atomic<std::size_t> leftThreadCount{0};

// Text built in a fixed buffer, as a crash handler may: no allocation.
class FixedText {
public:
    FixedText(char *out, std::size_t room) : out_(out), room_(room) {}
    FixedText &operator<<(const char *text) {
        for (; text != nullptr && *text != '\0'; ++text) Put(*text);
        return *this;
    }
    FixedText &Decimal(uint64_t number) {
        char digits[24];
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number != 0);
        while (count > 0) Put(digits[--count]);
        return *this;
    }
    FixedText &Hex(uint64_t number) {
        *this << "0x";
        bool started = false;
        for (int shift = 60; shift >= 0; shift -= 4) {
            const unsigned digit = static_cast<unsigned>(number >> shift) & 0xF;
            started = started || digit != 0 || shift == 0;
            if (started) Put("0123456789abcdef"[digit]);
        }
        return *this;
    }
    std::size_t Length() const { return length_; }

private:
    void Put(char c) {
        if (length_ < room_) out_[length_++] = c;
    }
    char *out_;
    std::size_t room_;
    std::size_t length_ = 0;
};

const RetiredBuffer *RetiredAt(uintptr_t address) {
    const std::size_t count = retiredCount.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i) {
        const auto start = reinterpret_cast<uintptr_t>(retired[i].start);
        if (address >= start && address - start < retired[i].bytes) return &retired[i];
    }
    return nullptr;
}

const LeftThread *LeftThreadOf(uint64_t thread) {
    const std::size_t count = leftThreadCount.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i) {
        if (leftThreads[i].thread == thread) return &leftThreads[i];
    }
    return nullptr;
}

void Where(FixedText &text, const FaultFacts &facts) {
    if (facts.module == nullptr) return;
    text << ", at " << facts.module << "+";
    text.Hex(facts.offset);
    if (facts.symbol != nullptr) text << " (" << facts.symbol << ")";
}

void Access(FixedText &text, const FaultFacts &facts) {
    if (!facts.hasAddress) return;
    using Access = FaultFacts::Access;
    text << (facts.access == Access::Write  ? " writing to address "
             : facts.access == Access::Read ? " reading address "
                                            : " touching address ");
    text.Hex(facts.address);
}

}  // namespace

bool FirstFault() { return !faultReported.exchange(true); }
bool FaultReported() { return faultReported.load(); }

void SetCurrentCase(std::size_t number) { currentCase.store(number); }
std::size_t CurrentCase() { return currentCase.load(); }

void SetRunningEntryPoint(const char *name) { runningEntryPoint.store(name); }
const char *RunningEntryPoint() { return runningEntryPoint.load(); }

void SetMainThread(uint64_t thread) { mainThread.store(thread); }

void NoteLeftThread(uint64_t thread) {
    const std::size_t count = leftThreadCount.load();
    if (count == kMostLeftThreads || LeftThreadOf(thread) != nullptr) return;
    leftThreads[count] = {thread, CurrentCase()};
    leftThreadCount.store(count + 1, std::memory_order_release);
}

void NoteRetiredBuffer(const uint8_t *pages, std::size_t bytes, const uint8_t *data,
                       const char *what) {
    const std::size_t count = retiredCount.load();
    if (count == kMostRetiredBuffers) return;
    retired[count] = {pages, bytes, data, CurrentCase(), what};
    retiredCount.store(count + 1, std::memory_order_release);
}

std::size_t ComposeFaultReport(const FaultFacts &facts, char *out, std::size_t room) {
    FixedText text(out, room);
    const bool mainThreadFault = facts.thread == mainThread.load();
    const LeftThread *left = mainThreadFault ? nullptr : LeftThreadOf(facts.thread);
    const char *entryPoint = RunningEntryPoint();
    const RetiredBuffer *buffer = facts.hasAddress ? RetiredAt(facts.address) : nullptr;
    if (buffer != nullptr) {
        // The case that handed the buffer over is the one at fault.
        text << "late ";
        text.Decimal(buffer->number);
        using Access = FaultFacts::Access;
        text << (facts.access == Access::Write  ? " wrote into "
                 : facts.access == Access::Read ? " read "
                                                : " touched ")
             << buffer->what << " (byte ";
        const auto data = reinterpret_cast<uintptr_t>(buffer->data);
        if (facts.address < data) text << "-";
        text.Decimal(facts.address < data ? data - facts.address : facts.address - data);
        text << ") after that call had returned";
    } else if (left != nullptr) {
        text << "late ";
        text.Decimal(left->number);
        text << " crashed the host from a thread it had left running: " << facts.kind;
        Access(text, facts);
    } else {
        text << "crash crashed the host";
        if (!mainThreadFault) {
            text << " from a thread it started";
        } else if (entryPoint != nullptr) {
            text << " during " << entryPoint;
        } else {
            text << " between calls into it";
        }
        text << ": " << facts.kind;
        Access(text, facts);
    }
    if (buffer != nullptr) {
        if (!mainThreadFault) {
            text << (left != nullptr ? ", from a thread it had left running"
                                     : ", from a thread it started");
        } else if (entryPoint != nullptr) {
            text << ", during " << entryPoint;
        }
    }
    Where(text, facts);
    return text.Length();
}

}  // namespace standin::validator
