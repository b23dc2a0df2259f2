// One staff system before and after a command ran.
#pragma once

#include <cstdint>

namespace standin {

struct SystemChange {
    int16_t item = 0;
    int16_t firstMeasureBefore = 0, firstMeasureAfter = 0;
    int16_t indentBefore = 0, indentAfter = 0;
    // Bytes besides the left indent and the first measure differ: the
    // command wrote what it has no business writing.
    bool otherBytesChanged = false;

    bool IndentChanged() const { return indentBefore != indentAfter; }
};

}  // namespace standin
