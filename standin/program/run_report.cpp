#include "standin/program/run_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

#include "interface/data_tag.h"
#include "standin/platform/errors.h"
#include "standin/platform/text_output.h"

namespace standin {
namespace {

using Json = nlohmann::ordered_json;

std::size_t CountChanged(const RunResult &result) {
    std::size_t changed = 0;
    for (const auto &system : result.systems) changed += system.IndentChanged() ? 1 : 0;
    return changed;
}

std::string KeyText(const RecordKey &key) {
    return "'" + hostdata::TagText(key.tag) + "' (" + std::to_string(key.item) + "," +
           std::to_string(key.inci) + ")";
}

std::string Change(int before, int after) {
    return before == after ? std::to_string(after)
                           : std::to_string(before) + " -> " + std::to_string(after);
}

// The reason, and what else a reader must know about the system.
std::string Explanation(const SystemChange &system) {
    std::string text = system.reason.text;
    if (system.otherBytesChanged) text += "; other bytes changed";
    if (system.Unexpected()) {
        text += system.reason.expectedIndent
                    ? "; expected " + std::to_string(*system.reason.expectedIndent)
                    : "; expected no change";
    }
    return text;
}

// A table with columns as wide as their widest cell; the last column, the
// reason, is not padded.
class Table {
public:
    void Row(std::vector<std::string> cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (widths_.size() <= i) widths_.push_back(0);
            widths_[i] = std::max(widths_[i], cells[i].size());
        }
        rows_.push_back(std::move(cells));
    }

    // Columns in `leftAligned` are padded on the right, the others (numbers)
    // on the left.
    void Print(const std::vector<bool> &leftAligned, std::ostream &out) const {
        for (const auto &row : rows_) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const std::string padding(widths_[i] - row[i].size(), ' ');
                const bool last = i + 1 == row.size();
                if (i > 0) line += "  ";
                line += leftAligned[i] ? row[i] + (last ? "" : padding) : padding + row[i];
            }
            out << line << "\n";
        }
    }

private:
    std::vector<std::size_t> widths_;
    std::vector<std::vector<std::string>> rows_;
};

void PrintTable(const RunResult &result, bool changedOnly, std::ostream &out) {
    out << "handshake: host version " << Hex32(result.hostVersion) << ", interface version "
        << Hex32(result.interfaceVersion) << "\n";
    out << "command: index " << result.menuIndex << ", "
        << (result.menuText ? "\"" + *result.menuText + "\"" : "not offered by the module") << "\n";
    out << "selection: " << SelectionText(result.measures) << "\n";
    out << "invoke: " << result.invokeAnswer << "\n";
    std::vector<const SystemChange *> listed;
    std::size_t beforeWidth = 0, afterWidth = 0;
    for (const auto &system : result.systems) {
        if (changedOnly && !system.Changed()) continue;
        listed.push_back(&system);
        beforeWidth = std::max(beforeWidth, std::to_string(system.indentBefore).size());
        afterWidth = std::max(afterWidth, std::to_string(system.indentAfter).size());
    }
    Table table;
    table.Row({"system", "first measure", "left indent", "reason"});
    for (const SystemChange *system : listed) {
        const std::string before = std::to_string(system->indentBefore);
        const std::string after = std::to_string(system->indentAfter);
        table.Row({std::to_string(system->item),
                   Change(system->firstMeasureBefore, system->firstMeasureAfter),
                   std::string(beforeWidth - before.size(), ' ') + before + " -> " + after +
                       std::string(afterWidth - after.size(), ' ') +
                       (system->IndentChanged() ? "  changed" : ""),
                   Explanation(*system)});
    }
    table.Print({false, false, true, true}, out);
    out << CountChanged(result) << " of " << result.systems.size()
        << " systems changed their left indent\n";
    out << "other records changed:";
    if (result.otherRecordsChanged.empty()) out << " none";
    for (std::size_t i = 0; i < result.otherRecordsChanged.size(); ++i) {
        out << (i == 0 ? " " : ", ") << KeyText(result.otherRecordsChanged[i]);
    }
    out << "\n";
}

Json OptionalNumber(const std::optional<int16_t> &value) {
    return value ? Json(*value) : Json(nullptr);
}

Json SystemJson(const SystemChange &system) {
    Json json = Json::object();
    json["system"] = system.item;
    json["firstMeasureBefore"] = system.firstMeasureBefore;
    json["firstMeasureAfter"] = system.firstMeasureAfter;
    json["leftIndentBefore"] = system.indentBefore;
    json["leftIndentAfter"] = system.indentAfter;
    json["changed"] = system.IndentChanged();
    json["otherBytesChanged"] = system.otherBytesChanged;
    json["reason"] = {{"code", system.reason.code},
                      {"measure", system.reason.measure},
                      {"text", system.reason.text}};
    json["expectedLeftIndent"] = OptionalNumber(system.reason.expectedIndent);
    json["asExpected"] = !system.Unexpected();
    return json;
}

void PrintJson(const RunResult &result, bool changedOnly, std::ostream &out) {
    Json json = Json::object();
    json["hostVersion"] = Hex32(result.hostVersion);
    json["interfaceVersion"] = Hex32(result.interfaceVersion);
    json["command"] = {{"index", result.menuIndex},
                       {"menuText", result.menuText ? Json(*result.menuText) : Json(nullptr)},
                       {"offered", result.menuText.has_value()}};
    json["selection"] =
        result.measures ? Json{{"first", result.measures->first}, {"last", result.measures->last}}
                        : Json(nullptr);
    json["invoke"] = result.invokeAnswer;
    json["systemCount"] = result.systems.size();
    json["systemsChanged"] = CountChanged(result);
    Json systems = Json::array();
    for (const auto &system : result.systems) {
        if (!changedOnly || system.Changed()) systems.push_back(SystemJson(system));
    }
    json["systems"] = systems;
    Json others = Json::array();
    for (const auto &key : result.otherRecordsChanged) {
        others.push_back(
            {{"tag", hostdata::TagText(key.tag)}, {"item", key.item}, {"inci", key.inci}});
    }
    json["otherRecordsChanged"] = others;
    out << json.dump(2) << "\n";
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

void PrintCsv(const RunResult &result, bool changedOnly, std::ostream &out) {
    out << "system,firstMeasureBefore,firstMeasureAfter,leftIndentBefore,leftIndentAfter,"
           "changed,otherBytesChanged,reason,reasonMeasure,expectedLeftIndent,asExpected,"
           "reasonText\n";
    for (const auto &system : result.systems) {
        if (changedOnly && !system.Changed()) continue;
        const auto &expected = system.reason.expectedIndent;
        out << system.item << "," << system.firstMeasureBefore << "," << system.firstMeasureAfter
            << "," << system.indentBefore << "," << system.indentAfter << ","
            << (system.IndentChanged() ? "true" : "false") << ","
            << (system.otherBytesChanged ? "true" : "false") << "," << system.reason.code << ","
            << system.reason.measure << "," << (expected ? std::to_string(*expected) : "") << ","
            << (system.Unexpected() ? "false" : "true") << "," << CsvField(system.reason.text)
            << "\n";
    }
}

}  // namespace

ReportFormat ParseReportFormat(const std::string &text) {
    if (const auto format = FindChoice(kReportFormats, text)) return *format;
    throw UsageError("format '" + text + "' is not one of " + ChoiceNames(kReportFormats, ", "));
}

void PrintRunReport(const RunResult &result, ReportFormat format, bool changedOnly,
                    std::ostream &out) {
    switch (format) {
        case ReportFormat::Table:
            PrintTable(result, changedOnly, out);
            break;
        case ReportFormat::Json:
            PrintJson(result, changedOnly, out);
            break;
        case ReportFormat::Csv:
            PrintCsv(result, changedOnly, out);
            break;
    }
}

}  // namespace standin
