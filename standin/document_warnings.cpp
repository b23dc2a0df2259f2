#include "standin/document_warnings.h"

#include <algorithm>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"
#include "standin/document_fields.h"

namespace standin {
namespace {

struct SystemStart {
    std::string pointer;  // of the field that gives the first measure
    int measure;
};

// Each listed system's first measure: where the host has it, or where it
// will put it when it lays the system out.
std::vector<SystemStart> SystemStarts(const Document &document) {
    std::vector<SystemStart> starts;
    for (int item = 1; item <= 32767; ++item) {
        const Bytes *system =
            document.records.Find({hostdata::kStaffSystemTag, static_cast<int16_t>(item), 0});
        if (system == nullptr || system->size() != fields::kSystemSize) break;
        const std::string pointer = "/systems/" + std::to_string(item - 1);
        const int measure = hostdata::ReadI16(system->data(), fields::kSystemFirstMeasure);
        const auto laidOut = document.layout.find(static_cast<int16_t>(item));
        if (measure == 0 && laidOut != document.layout.end()) {
            starts.push_back({pointer + "/layoutFirstMeasure", laidOut->second});
        } else {
            starts.push_back({pointer + "/firstMeasure", measure});
        }
    }
    return starts;
}

std::string SystemName(std::size_t index) { return "system " + std::to_string(index + 1); }

// The records of a page format variant that the document lacks or holds
// short, as "'ot39' inci 0, ..."; empty when it is whole.
std::string MissingPageFormatRecords(const Document &document, const std::string &variant) {
    std::string missing;
    for (const auto &record : fields::kPageFormatRecords) {
        if (record.variant != variant) continue;
        const Bytes *bytes = document.records.Find(record.Key());
        if (bytes != nullptr && bytes->size() >= fields::kOtherRecordSize) continue;
        missing += (missing.empty() ? "'" : ", '") + hostdata::TagText(record.tag) + "' inci " +
                   std::to_string(record.inci);
    }
    return missing;
}

}  // namespace

int LastMeasure(const Document &document) {
    int last = 0;
    for (const auto &[key, bytes] : document.records.All()) {
        if (fields::SectionOf(key, bytes.size(), 0) == fields::Section::Measures) {
            last = std::max<int>(last, key.item);
        }
    }
    return last;
}

std::vector<std::string> DocumentWarnings(const Document &document, const std::string &fileName) {
    std::vector<std::string> warnings;
    const auto warn = [&](const std::string &pointer, const std::string &what) {
        warnings.push_back(fileName + ": " + pointer + ": " + what);
    };
    const int last = LastMeasure(document);
    const std::vector<SystemStart> starts = SystemStarts(document);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const SystemStart &start = starts[i];
        const std::string measure = "measure " + std::to_string(start.measure);
        if (start.measure < 0) {
            warn(start.pointer, SystemName(i) + " starts at " + measure + ", which is negative");
        } else if (start.measure == 0) {
            warn(start.pointer, SystemName(i) +
                                    " is not laid out and has no layoutFirstMeasure for the "
                                    "host to lay it out at");
        } else if (start.measure > last) {
            warn(start.pointer, SystemName(i) + " starts at " + measure +
                                    ", beyond the last measure (" + std::to_string(last) + ")");
        }
        if (i == 0 || start.measure <= 0 || starts[i - 1].measure <= 0) continue;
        const int before = starts[i - 1].measure;
        if (start.measure == before) {
            warn(start.pointer, SystemName(i) + " starts at " + measure + ", as " +
                                    SystemName(i - 1) + " does");
        } else if (start.measure < before) {
            warn(start.pointer, SystemName(i) + " starts at " + measure + ", before " +
                                    SystemName(i - 1) + " (measure " + std::to_string(before) +
                                    ")");
        }
    }
    // The page format in view must be whole, or the commands change nothing.
    const char *variant = document.currentPart == 0 ? "score" : "parts";
    const std::string missing = MissingPageFormatRecords(document, variant);
    if (!missing.empty()) {
        warn("/records", std::string("the ") + variant +
                             " page format cannot be read: no whole record " + missing);
    }
    const std::size_t staves = document.slots.size();
    if (document.currentPart < 0) {
        warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                 " cannot exist: 0 is the score, and parts count from 1");
    } else if (static_cast<std::size_t>(document.currentPart) > staves) {
        warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                 " cannot exist: each part shows at least one staff, and the "
                                 "document has " +
                                 std::to_string(staves) + (staves == 1 ? " staff slot" : " staff slots"));
    }
    return warnings;
}

}  // namespace standin
