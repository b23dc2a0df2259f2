// The seven functions the host calls. They hold no state of their own: the
// host version lives with the host data layer, which every part reads.
#include "interface/finale_extension.h"

#include "framework/fc_region.h"
#include "hostdata/host_version.h"
#include "shell/command_table.h"
#include "shell/indent_command.h"
#include "shell/invoke_recording.h"
#include "shell/menu_commands.h"

extern "C" {

uint32_t FinaleExtensionVersion(uint32_t hostVersion) {
    hostdata::SetHostVersion(hostVersion);
    return FINALE_EXTENSION_INTERFACE_VERSION;
}

uint32_t FinaleExtensionInit(void *, uint32_t *initWord) {
    *initWord |= 1u;
    return 1;
}

uint32_t FinaleExtensionEnumerate(void *, uint16_t menuIndex, void *record) {
    const shell::CommandEntry *command = shell::OfferedCommand(menuIndex);
    if (command == nullptr) return 0;
    shell::FillMenuRecord(command->texts, record);
    return 1;
}

uint32_t FinaleExtensionEnumerate_UTF16(void *, uint16_t menuIndex, void *record) {
    const shell::CommandEntry *command = shell::OfferedCommand(menuIndex);
    if (command == nullptr) return 0;
    shell::FillMenuRecordUtf16(command->texts, record);
    return 1;
}

uint32_t FinaleExtensionInvoke(void *, uint16_t menuIndex, const void *selection) {
    constexpr uint32_t kAnswer = 1;
    // Made only when the user asks for recordings; it sees the calls as the
    // host does and never throws.
    shell::InvokeRecording recording(menuIndex, selection);
    // An exception unwinding into the host would end it, and the user's
    // unsaved work with it. Only running out of memory can throw, and the
    // command saves nothing before its last step, which allocates nothing.
    try {
        FCMusicRegion region;
        region.SetFromSelection(selection);
        shell::IndentSystems(region, shell::InvokedCommand(menuIndex).rule);
    } catch (...) {
    }
    recording.Finish(kAnswer);
    return kAnswer;
}

uint32_t FinaleExtensionGetMenuStatus(void) { return 1; }

void FinaleExtensionTerminate(void) {}

}  // extern "C"
