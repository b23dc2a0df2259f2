// A small plug-in module for the validator's tests, with one command: it
// gives the first staff system a left indent of 72 EVPUs when measures are
// selected. Built once sound, and once with each fault a module may have
// (KARVO_FAULT_...), so that the tests show the validator names each.
#include <cstring>
#include <stdexcept>
#include <vector>

#include "hostdata/data_tag.h"
#include "hostdata/fx_host_api.h"
#include "hostdata/record_bytes.h"
#include "platform/host_module.h"
#include "shell/finale_extension.h"

namespace {

constexpr uint32_t kDataVersion = 0x19000000;
constexpr std::size_t kSystemSize = 28;
constexpr std::size_t kLeftIndent = 2;
constexpr uint16_t kIndent = 72;
constexpr std::size_t kSelectionFirstMeasure = 4;
constexpr const char *kTexts[] = {"Small Indent", "Indents the first system.",
                                  "Small/Indent First"};

template <typename Function>
Function HostFunction(const char *name) {
    return reinterpret_cast<Function>(
        platform::FindExport(platform::FindLoadedModule("FINALE.EXE"), name));
}

void IndentFirstSystem() {
    const auto load = HostFunction<FX_LoadEData_fn>("FX_LoadEData");
    const auto save = HostFunction<FX_SaveEData_fn>("FX_SaveEData");
    if (load == nullptr || save == nullptr) return;
    FxDataKey key{1, 0};
    uint8_t record[kSystemSize];
    int32_t size = kSystemSize;
    if (load(hostdata::kStaffSystemTag, &key, record, &size, kDataVersion) == 0 || size < 4) return;
    const auto loaded =
        static_cast<int32_t>(size < static_cast<int32_t>(kSystemSize) ? size : kSystemSize);
    hostdata::WriteU16(record, kLeftIndent, kIndent);
#if defined(KARVO_FAULT_SAVES_UNLOADED_RECORD)
    // Gives the second system the same record without loading it first.
    FxDataKey second{2, 0};
    save(hostdata::kStaffSystemTag, &second, record, loaded, kDataVersion);
#endif
#if defined(KARVO_FAULT_LETS_AN_EXCEPTION_OUT)
    // Reads the byte after the record: at() throws, and nothing catches it.
    const std::vector<uint8_t> bytes(record, record + loaded);
    if (bytes.at(bytes.size()) == 0) return;
#endif
#if defined(KARVO_FAULT_LEAKS_ON_EVERY_INVOKE)
    // An undo copy, never freed.
    auto *undo = new std::vector<uint8_t>(16 << 10);
    std::memcpy(undo->data(), record, static_cast<std::size_t>(loaded));
#endif
    save(hostdata::kStaffSystemTag, &key, record, loaded, kDataVersion);
}

void FillRecord(uint8_t *record, std::size_t unitBytes, std::size_t fieldUnits,
                std::size_t flagOffset, std::size_t cleared, const char *menuText) {
    std::memset(record, 0, cleared);
    const char *texts[] = {kTexts[0], kTexts[1], menuText};
    for (std::size_t field = 0; field < 3; ++field) {
        uint8_t *text = record + field * fieldUnits * unitBytes;
        for (std::size_t i = 0; texts[field][i] != '\0'; ++i) {
            text[i * unitBytes] = static_cast<uint8_t>(texts[field][i]);
        }
    }
    hostdata::WriteU32(record, flagOffset, 1);
}

}  // namespace

extern "C" {

uint32_t FinaleExtensionVersion(uint32_t) {
#if defined(KARVO_FAULT_CALLS_THE_HOST_IN_THE_HANDSHAKE)
    // Asks which part is shown before the host has opened a document to it.
    if (const auto part = HostFunction<FX_GetCurrentPartID_fn>("FX_GetCurrentPartID")) {
        part(kDataVersion);
    }
#endif
#if defined(KARVO_FAULT_ANSWERS_ANOTHER_INTERFACE_VERSION)
    // The interface version it was first written for.
    return 0x0E000000;
#else
    return FINALE_EXTENSION_INTERFACE_VERSION;
#endif
}

uint32_t FinaleExtensionInit(void *, uint32_t *initWord) {
#if defined(KARVO_FAULT_CLEARS_THE_HOSTS_INIT_BITS)
    *initWord = 1u;
#else
    *initWord |= 1u;
#endif
    return 1;
}

uint32_t FinaleExtensionEnumerate(void *, uint16_t menuIndex, void *record) {
#if defined(KARVO_FAULT_OFFERS_A_COMMAND_PAST_A_REFUSAL)
    // A second command at index 2, where no host asks once index 1 is refused.
    if (menuIndex != 0 && menuIndex != 2) return 0;
#else
    if (menuIndex != 0) return 0;
#endif
#if defined(KARVO_FAULT_WRITES_PAST_THE_MENU_RECORD)
    // Clears the entry flag's word too, and one word after it.
    constexpr std::size_t kCleared = FINALE_MENU_RECORD_FLAG_OFFSET + 8;
#else
    constexpr std::size_t kCleared = FINALE_MENU_RECORD_FLAG_OFFSET;
#endif
    FillRecord(static_cast<uint8_t *>(record), 1, FINALE_MENU_RECORD_TEXT_BYTES,
               FINALE_MENU_RECORD_FLAG_OFFSET, kCleared, kTexts[2]);
    return 1;
}

uint32_t FinaleExtensionEnumerate_UTF16(void *, uint16_t menuIndex, void *record) {
    if (menuIndex != 0) return 0;
#if defined(KARVO_FAULT_NAMES_ITS_COMMAND_ANOTHER_WAY_IN_UTF16)
    const char *menuText = "Small/Indent 1st";
#else
    const char *menuText = kTexts[2];
#endif
    FillRecord(static_cast<uint8_t *>(record), 2, FINALE_MENU_RECORD_UTF16_FIELD_UNITS,
               FINALE_MENU_RECORD_UTF16_FLAG_OFFSET, FINALE_MENU_RECORD_UTF16_FLAG_OFFSET,
               menuText);
    return 1;
}

uint32_t FinaleExtensionInvoke(void *, uint16_t, const void *selection) {
#if !defined(KARVO_FAULT_CRASHES_WITHOUT_A_SELECTION)
    if (selection == nullptr) return 1;
#endif
    if (hostdata::ReadU16(selection, kSelectionFirstMeasure) == 0) return 1;
    IndentFirstSystem();
#if defined(KARVO_FAULT_CHANGES_THE_SELECTION)
    // Clears the selection's staff slots, as if it were the module's own.
    hostdata::WriteU16(const_cast<void *>(selection), 2, 0);
    hostdata::WriteU16(const_cast<void *>(selection), 12, 0);
#endif
#if defined(KARVO_FAULT_WRITES_PAST_THE_SELECTION)
    // Marks the selection as handled, in a word past its 20 bytes.
    hostdata::WriteU32(const_cast<void *>(selection), 20, 1);
#endif
    return 1;
}

uint32_t FinaleExtensionGetMenuStatus(void) { return 1; }

void FinaleExtensionTerminate(void) {}

}  // extern "C"
