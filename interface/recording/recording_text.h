// The pieces of a recording's text, appended to it in place: numbers, words
// in hex, data tags and bytes. A recording is JSON that a user can read and
// a program compare; see docs/recording.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interface/recording/recording_format.h"

namespace hostdata::recording_text {

// A decimal number: -2, 28.
void AppendNumber(std::string &text, int64_t value);

// A JSON text holding a 32-bit word in hex: "0x19000000".
void AppendHexWord(std::string &text, uint32_t value);

// A JSON text holding a data tag: its four characters when all are
// printable and need no escape ("SOSS"), else the word in hex.
void AppendTag(std::string &text, uint32_t tag);

// A JSON text holding bytes as two hex digits each, separated by spaces:
// "01 00 ff".
void AppendBytes(std::string &text, const void *bytes, std::size_t count);

}  // namespace hostdata::recording_text
