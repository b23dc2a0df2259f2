// A picture of the staff systems before and after a command: each system a
// five-line staff starting at its left indent, labelled by its first
// measure; the systems in the selection shaded, those whose indent changed
// in red with the reason beside them, and a legend saying so.
#pragma once

#include <string>
#include <vector>

#include "standin/program/system_change.h"

namespace standin {

// An SVG document with whole-pixel coordinates at any number of systems;
// `caption` is its title, `selection` names the selected measures, `shown`
// (when not empty) says in the legend which systems the picture leaves out.
// Its height is bounded: a long document's systems go on pages of 800 rows,
// side by side in the one picture. Where one stretch of indents is far
// wider than all the others (a single huge indent), the axis skips it,
// marked with a zigzag, so that small changes stay visible.
std::string SystemsPicture(const std::vector<SystemChange> &systems, const std::string &caption,
                           const std::string &selection, const std::string &shown = "");

}  // namespace standin
