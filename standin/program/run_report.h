// What a run shows: for each staff system its first measure, its left
// indent before and after, and the reason for the new indent; as a table
// for people, or as JSON or CSV for scripts (docs/document-format.md).
#pragma once

#include <ostream>
#include <string>

#include "standin/platform/named_choices.h"
#include "standin/program/run_command.h"

namespace standin {

enum class ReportFormat { Table, Json, Csv };

// The formats by the names --format takes, in the order help lists them.
inline constexpr NamedChoice<ReportFormat> kReportFormats[] = {
    {ReportFormat::Table, "table"}, {ReportFormat::Json, "json"}, {ReportFormat::Csv, "csv"}};

// Throws UsageError for a name not in kReportFormats.
ReportFormat ParseReportFormat(const std::string &text);

// `changedOnly` leaves out the systems the run did not change; the counts
// still cover them all.
void PrintRunReport(const RunResult &result, ReportFormat format, bool changedOnly,
                    std::ostream &out);

}  // namespace standin
