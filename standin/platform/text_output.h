// Small formatting helpers for what the host program prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "standin/platform/byte_text.h"

namespace standin {

// Lines of "offset: 16 hex bytes", for showing exactly what a record holds.
std::string HexDump(const uint8_t *bytes, std::size_t count);

// `text` safe to show on a terminal: control characters (a document's keys
// may hold any) written as \u escapes, so that none moves the cursor,
// rings, or starts a terminal command.
std::string Printable(const std::string &text);

}  // namespace standin
