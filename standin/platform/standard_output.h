// Standard output with every write checked. What the program prints there
// (a report, a document, a picture) is data a reader relies on: a full disk
// or a closed file under it must not pass for success.
#pragma once

#include <string>

namespace standin {

// From now on std::cout writes through a buffer that keeps the first
// failure and the operating system's reason for it; the bytes still go out in order
// with the C library's own writes to standard output.
void WatchStandardOutput();

// Flushes and closes standard output; answers why it could not all be
// written, empty when it was.
std::string FinishStandardOutput();

}  // namespace standin
