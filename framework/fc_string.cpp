#include "framework/fc_string.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "framework/storage_growth.h"

// Built when the module is loaded, in this order. Each takes a few bytes of
// heap; a host that cannot spare them cannot load any module.
FCString DefaultFontName("Times New Roman");  // NOLINT(cert-err58-cpp)
FCString EmptyString;                         // NOLINT(cert-err58-cpp)

namespace {

uint64_t GrowthStep(uint64_t capacity) {
    if (capacity > 10000) return 1000;
    if (capacity > 1000) return 100;
    return 10;
}

}  // namespace

FCString::FCString() {
    EnsureCapacity(0);
    buffer[0] = 0;
}

FCString::FCString(const char *asciiText) : FCString() {
    SetAsciiText(asciiText, asciiText ? std::strlen(asciiText) : 0);
}

const char *FCString::GetClassName() const {
    static const char name[] = "FCString";
    return name;
}

void FCString::EnsureCapacity(uint64_t n) {
    // capacity > n + 1, without n + 1 wrapping round for the largest n.
    if (capacity > n && capacity - n > 1) return;
    const uint64_t step = GrowthStep(capacity);
    const uint64_t newCapacity = n > UINT64_MAX - step ? UINT64_MAX : step * ((n + step) / step);
    std::unique_ptr<char16_t[]> grown(framework::NewArray<char16_t>(newCapacity));
    std::copy(buffer.get(), buffer.get() + length, grown.get());
    buffer = std::move(grown);
    capacity = newCapacity;
}

void FCString::SetAsciiText(const char *text, uint64_t n) {
    if (text == nullptr) n = 0;
    EnsureCapacity(n);
    for (uint64_t i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(text[i]);
    buffer[n] = 0;
    length = n;
}
