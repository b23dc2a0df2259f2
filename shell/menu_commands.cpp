#include "shell/menu_commands.h"

#include <cstring>

#include "hostdata/host_version.h"
#include "interface/finale_extension.h"
#include "interface/record_bytes.h"

namespace shell {
namespace {

// The host reads the UTF-16 description only up to 63 units.
constexpr std::size_t kUtf16DescriptionUnits = 63;

// Bounded copy of exactly 64 bytes: zero-filled after the text; a text of
// 64 bytes or more fills the field and gets no terminator.
void CopyTextField(uint8_t *field, const char *text) {
    std::size_t i = 0;
    for (; i < FINALE_MENU_RECORD_TEXT_BYTES && text[i] != '\0'; ++i) {
        field[i] = static_cast<uint8_t>(text[i]);
    }
    std::memset(field + i, 0, FINALE_MENU_RECORD_TEXT_BYTES - i);
}

// Widens each byte to one code unit and writes one zero unit after the
// text; the units after it are left as the host gave them.
void CopyUtf16Field(uint8_t *field, const char *text, std::size_t maxUnits) {
    std::size_t i = 0;
    for (; i < maxUnits && text[i] != '\0'; ++i) {
        hostdata::WriteU16(field, 2 * i, static_cast<uint8_t>(text[i]));
    }
    hostdata::WriteU16(field, 2 * i, 0);
}

}  // namespace

const CommandEntry *OfferedCommand(uint16_t menuIndex) {
    if (menuIndex >= kCommandCount) return nullptr;
    const CommandEntry &entry = kCommands[menuIndex];
    if (entry.lowestHostVersion == kEveryHost) return &entry;
    // Before the handshake the host version is taken as high, yet only what
    // every host gets is offered.
    if (!hostdata::HostReportedVersion() || hostdata::HostVersion() < entry.lowestHostVersion) {
        return nullptr;
    }
    return &entry;
}

void FillMenuRecord(const CommandTexts &command, void *record) {
    auto *bytes = static_cast<uint8_t *>(record);
    CopyTextField(bytes, command.name);
    CopyTextField(bytes + FINALE_MENU_RECORD_TEXT_BYTES, command.description);
    CopyTextField(bytes + 2 * FINALE_MENU_RECORD_TEXT_BYTES, command.menuText);
    hostdata::WriteU32(bytes, FINALE_MENU_RECORD_FLAG_OFFSET, 1);
}

void FillMenuRecordUtf16(const CommandTexts &command, void *record) {
    constexpr std::size_t kFieldBytes = 2 * FINALE_MENU_RECORD_UTF16_FIELD_UNITS;
    // The whole field less its terminator: names and menu texts are short.
    constexpr std::size_t kWholeField = FINALE_MENU_RECORD_UTF16_FIELD_UNITS - 1;
    auto *bytes = static_cast<uint8_t *>(record);
    CopyUtf16Field(bytes, command.name, kWholeField);
    CopyUtf16Field(bytes + kFieldBytes, command.description, kUtf16DescriptionUnits);
    CopyUtf16Field(bytes + 2 * kFieldBytes, command.menuText, kWholeField);
    hostdata::WriteU32(bytes, FINALE_MENU_RECORD_UTF16_FLAG_OFFSET, 1);
}

}  // namespace shell
