// A plug-in module that, while its command runs, appends a line to the file
// that KARVO_DOCUMENT_CHANGED_MEANWHILE names: another program that writes
// the document while the host runs over it. It registers one command and
// changes no record.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interface/finale_extension.h"
#include "interface/record_bytes.h"

extern "C" {

uint32_t FinaleExtensionVersion(uint32_t) { return FINALE_EXTENSION_INTERFACE_VERSION; }

uint32_t FinaleExtensionInit(void *, uint32_t *initWord) {
    *initWord |= 1u;
    return 1;
}

uint32_t FinaleExtensionEnumerate(void *, uint16_t menuIndex, void *record) {
    if (menuIndex != 0) return 0;
    std::memset(record, 0, FINALE_MENU_RECORD_FLAG_OFFSET);
    std::strcpy(static_cast<char *>(record) + 2 * FINALE_MENU_RECORD_TEXT_BYTES,
                "Change/Meanwhile");
    hostdata::WriteU32(record, FINALE_MENU_RECORD_FLAG_OFFSET, 1);
    return 1;
}

uint32_t FinaleExtensionEnumerate_UTF16(void *, uint16_t, void *) { return 0; }

uint32_t FinaleExtensionInvoke(void *, uint16_t, const void *) {
    if (const char *path = std::getenv("KARVO_DOCUMENT_CHANGED_MEANWHILE")) {
        if (std::FILE *file = std::fopen(path, "ab")) {
            std::fputs("\n", file);
            std::fclose(file);
        }
    }
    return 1;
}

uint32_t FinaleExtensionGetMenuStatus(void) { return 0; }

void FinaleExtensionTerminate(void) {}

}  // extern "C"
