/*
 * fx_host_api.h — the host's data functions, as the plug-in calls them.
 *
 * The host program exports these with C linkage; the plug-in finds each one
 * by its exact name in the host's module at run time (never by linking) and
 * reaches them only through the wrappers of host_calls.h. The stand-in host
 * implements the same signatures.
 *
 * Common rules:
 *  - tag: a four-character code, first character in the most significant
 *    byte ('SOSS' = 0x534F5353).
 *  - key: the record's (item number, inci) pair, passed by address; the host
 *    may rewrite it (create and next do).
 *  - version: the record layout the caller expects; always the last argument.
 *  - result: a 16-bit value, nonzero meaning success, unless stated.
 */
#ifndef KARVO_HOSTDATA_FX_HOST_API_H
#define KARVO_HOSTDATA_FX_HOST_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Data key: 4 bytes, item number at offset 0, inci at offset 2. */
typedef struct FxDataKey {
    uint16_t item;
    uint16_t inci;
} FxDataKey;

/* Copies at most *size bytes of the record into buffer and sets *size to the
 * record's full size. 0 when there is no such record. */
typedef int16_t (*FX_LoadEData_fn)(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                                   uint32_t version);

/* Replaces the record under the key with length bytes. */
typedef int16_t (*FX_SaveEData_fn)(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                                   uint32_t version);

/* Adds a record; the caller passes key (-1, -1) and the host writes the key
 * it assigns. */
typedef int16_t (*FX_CreateEData_fn)(uint32_t tag, FxDataKey *key, const void *buffer,
                                     int32_t length, uint32_t version);

/* Removes the record under the key. */
typedef int16_t (*FX_DeleteEData_fn)(uint32_t tag, FxDataKey *key, uint32_t version);

/* Moves the key in place to the next record of the tag; 0 at the end. The
 * two middle arguments are always null. */
typedef int16_t (*FX_NextEData_fn)(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                                   uint32_t version);

/* Staff number shown in a staff slot; slot and context word each arrive
 * zero-extended. */
typedef int16_t (*FX_SlotToInst_fn)(uint32_t slot, uint32_t context, uint32_t version);

/* Lays the document out again, so that every staff system knows its first
 * measure. Called with (1, 0); the result means nothing to the plug-in. */
typedef int32_t (*FX_UpdateLayout_fn)(int32_t what, int32_t option, uint32_t version);

/* Number of the document the host is showing. */
typedef int16_t (*FX_GetCurrentEnigmaDocument_fn)(uint32_t version);

/* The part being viewed; low 16 bits 0 mean the score. */
typedef int32_t (*FX_GetCurrentPartID_fn)(uint32_t version);

#ifdef __cplusplus
}
#endif

#endif
