/*
 * finale_extension.h — the plug-in's whole outside interface: the seven
 * functions that the host program (Finale) finds by name in the module and
 * calls, on its own thread, one call at a time.
 *
 * The stand-in host includes this header to type the addresses it looks up;
 * the plug-in includes it to give the definitions C linkage and export them.
 */
#ifndef KARVO_INTERFACE_FINALE_EXTENSION_H
#define KARVO_INTERFACE_FINALE_EXTENSION_H

#include <stdint.h>

#if defined(_WIN32)
#define FINALE_EXTENSION_EXPORT __declspec(dllexport)
#else
#define FINALE_EXTENSION_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The interface version the plug-in answers the handshake with. */
#define FINALE_EXTENSION_INTERFACE_VERSION 0x0E010000u

/* Menu enumeration record, 8-bit form: three 64-byte text fields (name,
 * description, menu text) at offsets 0, 64 and 128, each filled up to its
 * end with zero bytes or cut at 64 bytes with no terminator, then the 32-bit
 * entry flag 1 at offset 192. Bytes from 196 on are the host's. */
#define FINALE_MENU_RECORD_TEXT_BYTES 64
#define FINALE_MENU_RECORD_FLAG_OFFSET 192

/* Menu enumeration record, UTF-16 form: three 128-unit fields at byte
 * offsets 0, 256 and 512, each holding the text and one zero unit (units
 * after the terminator keep what the host put there), then the 32-bit entry
 * flag 1 at offset 768. Bytes from 772 on are the host's. */
#define FINALE_MENU_RECORD_UTF16_FIELD_UNITS 128
#define FINALE_MENU_RECORD_UTF16_FLAG_OFFSET 768

/* Handshake: stores the host's version word, which decides the commands
 * offered and the measure record layout, and answers
 * FINALE_EXTENSION_INTERFACE_VERSION. Must come before enumeration and
 * invocation; until it does, the host version is taken as 0x19000000 and
 * only the commands for every host are offered. */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionVersion(uint32_t hostVersion);

/* Sets bit 0 of the host's 32-bit initialisation word, leaving the other bits
 * alone, and answers 1. The first argument is the host's and is not used. */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionInit(void *hostContext, uint32_t *initWord);

/* Fills the 8-bit enumeration record for a menu index and answers 1, or
 * answers 0 and leaves the record untouched when no command has that index
 * for this host (shell/command_table.h: which commands, and from which host
 * version). */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionEnumerate(void *hostContext, uint16_t menuIndex,
                                                          void *record);

/* As FinaleExtensionEnumerate, in the UTF-16 record form. */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionEnumerate_UTF16(void *hostContext,
                                                                uint16_t menuIndex, void *record);

/* Runs the command of a menu index (an index past the last command runs the
 * last) on the host's selection record, whose first 20 bytes are read; null
 * means no selection. Answers 1 whatever happened: the plug-in shows no
 * message. */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionInvoke(void *hostContext, uint16_t menuIndex,
                                                       const void *selection);

/* Every command is always enabled: answers 1. Arguments are not used. */
FINALE_EXTENSION_EXPORT uint32_t FinaleExtensionGetMenuStatus(void);

/* Nothing to release: the plug-in keeps no resources between calls. */
FINALE_EXTENSION_EXPORT void FinaleExtensionTerminate(void);

#ifdef __cplusplus
}
#endif

#endif
