// A buffer the host hands to the module, with guard bytes of a known
// pattern before and after it, so that a write outside it shows; in pages
// of its own, which the host makes read-only once the call that handed it
// over has returned, so that a later write into it faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin::validator {

class GuardedBuffer {
public:
    // `size` bytes, each `fill`, with guard bytes of their own pattern on
    // both sides.
    GuardedBuffer(std::size_t size, uint8_t fill);
    // A copy of `content` to hand over.
    explicit GuardedBuffer(const std::vector<uint8_t> &content);
    // Once the host is done with a retired buffer, a read from it faults
    // as a write does.
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    uint8_t *Data() { return pages_ + kGuardBytes; }
    const uint8_t *Data() const { return pages_ + kGuardBytes; }
    std::size_t Size() const { return size_; }
    std::vector<uint8_t> Content() const;

    // The guard bytes that changed, said of a buffer called `what`: "wrote
    // bytes 20-23 past the end of the selection record"; empty when none did.
    std::string WritesOutside(const std::string &what) const;

    // The bytes inside that differ from `before`: "bytes 4-5"; empty when
    // none do.
    std::string ChangedInside(const std::vector<uint8_t> &before) const;

    // The call that handed the buffer over has returned: from now on it is
    // read-only, and a crash report names a write into it as one into
    // `what` ("the selection record FinaleExtensionInvoke handed over", a
    // text that lives as long as the program) by the case that retired it.
    void Retire(const char *what);

    static constexpr std::size_t kGuardBytes = 256;

private:
    static uint8_t GuardByte(std::size_t at) { return static_cast<uint8_t>(0xA7 ^ (at * 29)); }

    std::size_t size_;
    // The guard bytes before, the buffer, then guard bytes to the end of
    // its last page; never given back, as a module may still hold it.
    std::size_t bytes_;
    uint8_t *pages_;
    bool retired_ = false;
};

// "byte 3" or "bytes 20-23": a run of offsets.
std::string ByteRun(std::ptrdiff_t first, std::ptrdiff_t last);

}  // namespace standin::validator
