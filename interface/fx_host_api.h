/*
 * fx_host_api.h — the host's data functions, declared once for both sides.
 *
 * The host program exports these with C linkage; the plug-in finds each one
 * by its exact name in the host's module at run time (never by linking) and
 * reaches them only through the wrappers of host_calls.h. The stand-in host
 * program exports the same names and signatures. Everything that names the
 * functions one by one (the binding, the recording of calls, the stand-in's
 * exports, its replay and the reading of recordings) is made from the table
 * below.
 *
 * Common rules:
 *  - tag: a four-character code, first character in the most significant
 *    byte ('SOSS' = 0x534F5353).
 *  - key: the record's (item number, inci) pair, passed by address; the host
 *    may rewrite it (create and next do).
 *  - version: the record layout the caller expects; always the last argument.
 *  - result: a 16-bit value, nonzero meaning success, unless stated.
 *
 * The functions:
 *  - LoadEData copies at most *size bytes of the record into buffer and sets
 *    *size to the record's full size. 0 when there is no such record.
 *  - SaveEData replaces the record under the key with length bytes.
 *  - CreateEData adds a record; the caller passes key (-1, -1) and the host
 *    writes the key it assigns.
 *  - DeleteEData removes the record under the key.
 *  - NextEData moves the key in place to the next record of the tag; 0 at
 *    the end. The two middle arguments are always null.
 *  - SlotToInst answers the staff number shown in a staff slot; slot and
 *    context word each arrive zero-extended.
 *  - UpdateLayout lays the document out again, so that every staff system
 *    knows its first measure. Called with (1, 0); the result means nothing
 *    to the plug-in.
 *  - GetCurrentEnigmaDocument answers the number of the document the host
 *    is showing.
 *  - GetCurrentPartID answers the part being viewed; low 16 bits 0 mean the
 *    score.
 *
 * Each row: X(name without "FX_", result, parameters, the same as arguments,
 * what the host reads and writes). The last column is one of
 *  - FillsBuffer: reads the tag, the key and the room in *size; writes up to
 *    that many bytes into buffer and the record's full size into *size.
 *  - TakesBuffer: reads the tag, the key and length bytes from buffer; may
 *    write the key.
 *  - Keyed: reads the tag and the key; may write the key.
 *  - Steps: as Keyed, with two pointers between key and version that are
 *    always null.
 *  - TwoNumbers: reads two numbers.
 *  - VersionOnly: reads nothing but the version.
 */
#ifndef KARVO_INTERFACE_FX_HOST_API_H
#define KARVO_INTERFACE_FX_HOST_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Data key: 4 bytes, item number at offset 0, inci at offset 2. Signed as
   the host keeps them: -2 is the item of every other record, and (-1, -1)
   asks for a new record's key. */
typedef struct FxDataKey {
    int16_t item;
    int16_t inci;
} FxDataKey;

#define FX_HOST_FUNCTIONS(X)                                                                 \
    X(LoadEData, int16_t,                                                                    \
      (uint32_t tag, FxDataKey * key, void *buffer, int32_t *size, uint32_t version),        \
      (tag, key, buffer, size, version), FillsBuffer)                                        \
    X(SaveEData, int16_t,                                                                    \
      (uint32_t tag, FxDataKey * key, const void *buffer, int32_t length, uint32_t version), \
      (tag, key, buffer, length, version), TakesBuffer)                                      \
    X(CreateEData, int16_t,                                                                  \
      (uint32_t tag, FxDataKey * key, const void *buffer, int32_t length, uint32_t version), \
      (tag, key, buffer, length, version), TakesBuffer)                                      \
    X(DeleteEData, int16_t, (uint32_t tag, FxDataKey * key, uint32_t version),               \
      (tag, key, version), Keyed)                                                            \
    X(NextEData, int16_t,                                                                    \
      (uint32_t tag, FxDataKey * key, void *unused1, void *unused2, uint32_t version),       \
      (tag, key, unused1, unused2, version), Steps)                                          \
    X(SlotToInst, int16_t, (uint32_t slot, uint32_t context, uint32_t version),              \
      (slot, context, version), TwoNumbers)                                                  \
    X(UpdateLayout, int32_t, (int32_t what, int32_t option, uint32_t version),               \
      (what, option, version), TwoNumbers)                                                   \
    X(GetCurrentEnigmaDocument, int16_t, (uint32_t version), (version), VersionOnly)         \
    X(GetCurrentPartID, int32_t, (uint32_t version), (version), VersionOnly)

/* FX_LoadEData_fn and so on: the type of each function. */
#define FX_HOST_FUNCTION_TYPE(name, result, parameters, arguments, shape) \
    typedef result(*FX_##name##_fn) parameters; /* NOLINT(bugprone-macro-parentheses): a type */
FX_HOST_FUNCTIONS(FX_HOST_FUNCTION_TYPE)
#undef FX_HOST_FUNCTION_TYPE

#ifdef __cplusplus
}
#endif

#endif
