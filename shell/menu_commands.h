// The two menu commands and the records that register them with the host.
#pragma once

#include <cstdint>

namespace shell {

// The commands the plug-in offers; the value is the host's menu index.
enum class Command : uint16_t {
    IndentAfterFinalBarlines = 0,
    IndentForFullNames = 1,
};

struct CommandTexts {
    const char *name;
    const char *description;
    const char *menuText;
};

// The texts of the command at a menu index, or null when the plug-in offers
// no command there to the host that made the handshake.
const CommandTexts *OfferedCommand(uint16_t menuIndex);

// Fill the host's enumeration record in the 8-bit or UTF-16 form.
void FillMenuRecord(const CommandTexts &command, void *record);
void FillMenuRecordUtf16(const CommandTexts &command, void *record);

}  // namespace shell
