// The growable UTF-16 text, and the two the module builds when it loads.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/fc_base.h"

// A growable UTF-16 text, always zero-terminated.
class FCString : public __FCBase {
public:
    FCString();
    explicit FCString(const char *asciiText);
    const char *GetClassName() const override;

    // Room for a text of n code units and its terminator.
    void EnsureCapacity(uint64_t n);
    // One code unit per byte, of the byte's value.
    void SetAsciiText(const char *text, uint64_t n);
    const char16_t *GetText() const { return buffer.get(); }
    uint64_t GetLength() const { return length; }
    uint64_t GetCapacity() const { return capacity; }

private:
    uint64_t length = 0;
    uint64_t capacity = 0;
    std::unique_ptr<char16_t[]> buffer;
};

extern FCString DefaultFontName;
extern FCString EmptyString;
