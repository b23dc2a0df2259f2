// The indent command: sets the left indent of every staff system that begins
// inside a region to the page format's first-system indent or system indent.
#pragma once

#include "shell/command_table.h"

class FCMusicRegion;

namespace shell {

// The rule, a command's in kCommands, tells which systems are first systems.
void IndentSystems(const FCMusicRegion &region, FirstSystemRule rule);

}  // namespace shell
