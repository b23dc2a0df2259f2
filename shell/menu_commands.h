// The records that register the commands of kCommands with the host.
#pragma once

#include <cstdint>

#include "shell/command_table.h"

namespace shell {

// The command at a menu index, or null when the plug-in offers none there
// to the host that made the handshake.
const CommandEntry *OfferedCommand(uint16_t menuIndex);

// Fill the host's enumeration record in the 8-bit or UTF-16 form.
void FillMenuRecord(const CommandTexts &command, void *record);
void FillMenuRecordUtf16(const CommandTexts &command, void *record);

}  // namespace shell
