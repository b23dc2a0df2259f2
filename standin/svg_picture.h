// A picture of the staff systems before and after a command: each system a
// five-line staff starting at its left indent, labelled by its first
// measure, with the systems whose indent changed marked in colour.
#pragma once

#include <string>
#include <vector>

#include "standin/system_change.h"

namespace standin {

// An SVG document; `caption` is shown as its title.
std::string SystemsPicture(const std::vector<SystemChange> &systems, const std::string &caption);

}  // namespace standin
