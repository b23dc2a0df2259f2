#include "hostdata/supplied_words.h"

#include <algorithm>

namespace hostdata {

SuppliedWords SuppliedWords::FirstBytes(int64_t bytes) {
    SuppliedWords supplied;
    const int64_t whole = std::clamp<int64_t>(bytes / 2, 0, kWords);
    for (int64_t i = 0; i < whole; ++i) supplied.words[static_cast<std::size_t>(i)] = true;
    return supplied;
}

bool SuppliedWords::Covers(int offset, int width) const {
    for (int i = offset / 2; 2 * i < offset + width; ++i) {
        if (i >= kWords || !words[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

}  // namespace hostdata
