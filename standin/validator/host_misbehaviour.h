// Ways a host misbehaves, by name: records of another length than the
// module expects, and load sizes reported wrongly.
#pragma once

#include <string>
#include <vector>

#include "standin/host/host.h"

namespace standin::validator {

// "systems", "measures", "other" (the other records page formats are made
// of) and "all".
const std::vector<std::string> &RecordKindNames();
// "empty", "half", "one-short"
const std::vector<std::string> &ShorterLengthNames();
// "one-more", "much-longer"
const std::vector<std::string> &LongerLengthNames();
// Every record of the kind gets the named length; added bytes are 0xEE.
// Throws UsageError for a kind or length it does not know.
void ResizeRecords(Host &host, const std::string &kind, const std::string &length);

// "room-plus-one", "twice-room", "room-less-one", "zero", "minus-one",
// "most-negative", "most-positive"
const std::vector<std::string> &SizeReportNames();
// Every load that finds its record reports that size instead of the true
// one. Throws UsageError for a name it does not know.
void MisreportSizes(Host &host, const std::string &report);

}  // namespace standin::validator
