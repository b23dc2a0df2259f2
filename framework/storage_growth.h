// Heap arrays for the framework's growable storage.
#pragma once

#include <cstddef>
#include <cstdint>

namespace framework {

// An uninitialised array of `count` elements. A count that the address space
// cannot hold is requested as the largest possible, so it fails with
// std::bad_alloc like any exhausted allocation rather than wrapping round to
// a smaller block than the caller then fills.
template <class T>
T *NewArray(uint64_t count) {
    // T is often a pointer: the collections hold arrays of them.
    constexpr uint64_t kLargest = PTRDIFF_MAX / sizeof(T);  // NOLINT(bugprone-sizeof-expression)
    const std::size_t n = count > kLargest ? SIZE_MAX : static_cast<std::size_t>(count);
    return new T[n];
}

}  // namespace framework
