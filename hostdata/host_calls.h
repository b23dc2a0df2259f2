// The host operations: every load, save and query the plug-in makes reaches
// the host through these nine functions and nowhere else. Each finds its host
// function by name on first use (host_binding.h) and, when the host lacks it,
// answers the fixed fall-back value given below instead.
#pragma once

#include <cstdint>

#include "hostdata/supplied_words.h"
#include "interface/fx_host_api.h"

namespace hostdata {

using DataKey = FxDataKey;

// Item number of every other record on the wire, and the key handed to
// create host record.
constexpr int16_t kOtherRecordItem = -2;
constexpr int16_t kNewRecordKeyPart = -1;

// The zero-probe tag: the buffer's first 108 bytes (never more than the room
// offered) are cleared before the host is asked, and a failed load that left
// any of them nonzero counts as a success. A load that succeeds is asked
// again, with no more room than the caller offered the first time.
constexpr uint32_t kZeroProbeTag = 0x4F096649;
constexpr int kZeroProbeBytes = 108;

// Saves with a version below this bound go to the host untranslated.
constexpr uint32_t kPreferenceSaveVersionBound = 0x08000000;

// Loads the record (tag, *key). On entry *size is the room in buffer; on
// return it is the record's size. Preference records kept as other records
// are answered by the preference translation. Absent: 0.
// With `supplied`, the caller learns which words of the buffer the load
// filled, and a preference record that the host supplies only in part
// loads (without it such a record does not).
int16_t LoadHostRecord(uint32_t tag, DataKey *key, void *buffer, int32_t *size, uint32_t version,
                       SuppliedWords *supplied = nullptr);

// Saves length bytes as the record (tag, *key). Absent: 0.
int16_t SaveHostRecord(uint32_t tag, DataKey *key, const void *buffer, int32_t length,
                       uint32_t version);

// Adds a record; the host writes the key it chose. Absent: 0.
int32_t CreateHostRecord(uint32_t tag, DataKey *key, const void *buffer, int32_t length,
                         uint32_t version);

// Removes the record (tag, *key). Absent: 0.
int32_t DeleteHostRecord(uint32_t tag, DataKey *key, uint32_t version);

// Moves *key in place to the next record of the tag; 0 at the end. Absent: 0.
int32_t NextHostRecord(uint32_t tag, DataKey *key, uint32_t version);

// The staff shown in a staff slot. Absent: 0.
int32_t SlotToInstrument(uint16_t slot, uint16_t context);

// Asks the host to lay out the document again. Absent: nothing happens.
void UpdateLayout();

// The host's current document number. Absent: 0.
int32_t CurrentDocument();

// The part being viewed, low 16 bits 0 for the score. Absent: -1, which
// reads as a part.
int32_t CurrentPart();

}  // namespace hostdata
