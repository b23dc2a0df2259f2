// Memory kept back for when the rest runs out. The JSON library's values
// need memory to be taken apart, in destructors, where a failed allocation
// ends the program without a word. So the first failure only gives the
// reserve back and marks memory as short; the document reader, at a point
// where throwing is safe, then gives up with std::bad_alloc, and the
// unwinding and the message have room. A failure after that throws.
#pragma once

namespace standin {

// Keeps up to 48 MiB back, less under a tight limit.
void KeepMemoryInReserve();

// The reserve has been given back.
bool MemoryRanShort();

}  // namespace standin
