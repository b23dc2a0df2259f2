// Documents of any size for the indent command, built in the stand-in host's
// memory: staff systems spread evenly over the measures, some of them after a
// final barline or at a measure that shows full names, and the page formats
// of the score and of the parts.
#pragma once

#include <cstdint>

#include "standin/host/host.h"

namespace standin::generated_document {

struct Size {
    int systems;
    int measures;  // up to 32767, the largest measure number
};

Host Generate(Size size);

}  // namespace standin::generated_document
