// Record bytes as a person reads and edits them in a document: two hex
// digits per byte, separated by spaces, and ".." for a byte that the
// document gives by name elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

using Bytes = std::vector<uint8_t>;

struct ByteText {
    Bytes bytes;              // named bytes are 0
    std::vector<bool> named;  // one flag per byte: ".." in the text
    std::string error;        // what was wrong; empty when the text read well
};

ByteText ParseByteText(const std::string &text);

// `named` may be shorter than `bytes`; missing flags count as not named.
std::string FormatByteText(const Bytes &bytes, const std::vector<bool> &named = {});

// A 32-bit word as the host program prints it: "0x0E010000".
std::string Hex32(uint32_t value);

// Parses a 32-bit word given in decimal or 0x-hexadecimal; throws
// UsageError naming `what` when it is not one.
uint32_t ParseWord(const std::string &text, const char *what);

}  // namespace standin
