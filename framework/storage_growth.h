// Heap arrays for the framework's growable storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace framework {

// An uninitialised array of `count` elements. A count that the address space
// cannot hold fails with std::bad_alloc, as any exhausted allocation does,
// rather than wrap round to a smaller block than the caller then fills.
template <class T>
T *NewArray(uint64_t count) {
    // T is often a pointer: the collections hold arrays of them.
    constexpr uint64_t kLargest = PTRDIFF_MAX / sizeof(T);  // NOLINT(bugprone-sizeof-expression)
    if (count > kLargest) throw std::bad_array_new_length();
    // new[]'s own check of the size, which gcc emits, cannot fail here.
    return new T[static_cast<std::size_t>(count)];  // GCOVR_EXCL_BR_LINE
}

}  // namespace framework
