// One staff system before and after a command ran, and why it has the
// left indent it has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

// What decided a system's new left indent, as the host reads the document.
struct IndentReason {
    std::string code;  // "final-barline", "not-selected", ...
    int measure = 0;   // the measure that decided it; 0 for none
    std::string text;  // "the final barline at measure 7"
    // The left indent the reason gives; none: the command leaves it alone.
    std::optional<int16_t> expectedIndent;
};

struct SystemChange {
    int16_t item = 0;
    int16_t firstMeasureBefore = 0, firstMeasureAfter = 0;
    int16_t indentBefore = 0, indentAfter = 0;
    // Bytes besides the left indent and the first measure differ: the
    // command wrote what it has no business writing.
    bool otherBytesChanged = false;
    bool inSelection = false;  // its first measure lies in the selected measures
    IndentReason reason;

    bool IndentChanged() const { return indentBefore != indentAfter; }
    // Any byte of the system's record: a layout update sets the first
    // measure too.
    bool Changed() const {
        return IndentChanged() || firstMeasureBefore != firstMeasureAfter || otherBytesChanged;
    }
    // The module did not do what the reason says it should.
    bool Unexpected() const { return indentAfter != reason.expectedIndent.value_or(indentBefore); }
};

}  // namespace standin
