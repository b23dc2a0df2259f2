// The indent command: sets the left indent of every staff system that begins
// inside a region to the page format's first-system indent or system indent.
#pragma once

#include <cstdint>

class FCMusicRegion;

namespace shell {

// 1 chooses systems by their first measure's full-names flag; any other
// value chooses systems that follow a final barline.
void IndentSystems(const FCMusicRegion &region, int command);

}  // namespace shell
