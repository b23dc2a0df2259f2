// The fields a document names, found in a record as the host hands it over:
// for a person comparing two versions of one record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/host/record_store.h"

namespace standin {

// "leftIndent: 0 -> 144", one line for each named field whose value differs
// between `before` and `after`, the bytes of one record `key` handed over at
// data version `version`: the staff system's left indent and first measure,
// the measure's barline style and full names, the page format values an
// other record holds. None for a record of any other kind, or of a size no
// such record has.
std::vector<std::string> NamedFieldChanges(const RecordKey &key, uint32_t version,
                                           const Bytes &before, const Bytes &after);

}  // namespace standin
