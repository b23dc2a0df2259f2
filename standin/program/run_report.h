// What a run shows: for each staff system its first measure, its left
// indent before and after, and the reason for the new indent; as a table
// for people, or as JSON or CSV for scripts (docs/document-format.md).
#pragma once

#include <ostream>
#include <string>

#include "standin/program/run_command.h"

namespace standin {

enum class ReportFormat { Table, Json, Csv };

// "table", "json" or "csv"; throws UsageError otherwise.
ReportFormat ParseReportFormat(const std::string &text);

// `changedOnly` leaves out the systems the run did not change; the counts
// still cover them all.
void PrintRunReport(const RunResult &result, ReportFormat format, bool changedOnly,
                    std::ostream &out);

}  // namespace standin
