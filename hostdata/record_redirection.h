// Preference records that are the plain concatenation of a run of other
// records of one tag (item number -2, consecutive incis).
#pragma once

#include <cstdint>

namespace hostdata {

struct Redirection {
    // False when the tag is redirected but not for this item number: the
    // record does not exist and the host is not asked.
    bool accepted = false;
    uint32_t otherTag = 0;  // 0 when the tag is not redirected
    uint16_t count = 0;     // records in the run
    uint16_t firstInci = 0;
};

Redirection FindRedirection(uint32_t tag, uint16_t item);

}  // namespace hostdata
