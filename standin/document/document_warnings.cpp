#include "standin/document/document_warnings.h"

#include <algorithm>
#include <map>

#include "hostdata/data_tag.h"
#include "hostdata/record_bytes.h"
#include "standin/document/document_fields.h"

namespace standin {
namespace {

struct SystemStart {
    int item;
    std::string pointer;  // of the field that gives the first measure
    int measure;
};

// Each system's first measure: where the host has it, or where it will put
// it when it lays the system out. The systems listed in order, then any
// that a document gives as raw records past a gap: the host holds those as
// systems all the same.
std::vector<SystemStart> SystemStarts(const Document &document) {
    std::vector<SystemStart> starts;
    for (const auto &[key, bytes] : document.records.All()) {
        if (key.tag != hostdata::kStaffSystemTag || key.inci != 0 || key.item < 1 ||
            bytes.size() != fields::kSystemSize) {
            continue;
        }
        const int measure = hostdata::ReadI16(bytes.data(), fields::kSystemFirstMeasure);
        const auto place = document.places.find(key);
        const std::string listed = "/systems/" + std::to_string(key.item - 1);
        const bool raw = place != document.places.end() && place->second != listed;
        const std::string pointer = raw ? place->second + "/bytes" : listed;
        const auto laidOut = document.layout.find(key.item);
        if (measure == 0 && laidOut != document.layout.end()) {
            starts.push_back({key.item, pointer + "/layoutFirstMeasure", laidOut->second});
        } else {
            starts.push_back({key.item, raw ? pointer : pointer + "/firstMeasure", measure});
        }
    }
    return starts;
}

std::string SystemName(int item) { return "system " + std::to_string(item); }

// Of each kind of warning about systems the first few: a large document
// could give thousands.
constexpr std::size_t kMostOfAKind = 5;

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
    // Kind of warning -> how many were given.
    std::map<std::string, std::size_t> counts;
    const auto warnOfKind = [&](const char *kind, const std::string &pointer,
                                const std::string &what) {
        if (++counts[kind] <= kMostOfAKind) warn(pointer, what);
    };
    const int last = LastMeasure(document);
    const std::vector<SystemStart> starts = SystemStarts(document);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const SystemStart &start = starts[i];
        const std::string name = SystemName(start.item);
        const std::string measure = "measure " + std::to_string(start.measure);
        if (start.item != (i == 0 ? 1 : starts[i - 1].item + 1)) {
            warnOfKind("systems after a gap", start.pointer,
                       name + " comes after a gap (there is no system " +
                           std::to_string(start.item - 1) +
                           "): a host numbers its systems 1, 2, ... without one");
        }
        if (start.measure < 0) {
            warnOfKind("systems that start at a negative measure", start.pointer,
                       name + " starts at " + measure + ", which is negative");
        } else if (start.measure == 0) {
            warnOfKind("systems not laid out and without a layoutFirstMeasure", start.pointer,
                       name +
                           " is not laid out and has no layoutFirstMeasure for the host to "
                           "lay it out at");
        } else if (start.measure > last) {
            warnOfKind("systems that start beyond the last measure", start.pointer,
                       name + " starts at " + measure + ", beyond the last measure (" +
                           std::to_string(last) + ")");
        }
        if (i == 0 || start.measure <= 0 || starts[i - 1].measure <= 0) continue;
        const SystemStart &previous = starts[i - 1];
        if (start.measure == previous.measure) {
            warnOfKind(
                "systems that start where the one before them does", start.pointer,
                name + " starts at " + measure + ", as " + SystemName(previous.item) + " does");
        } else if (start.measure < previous.measure) {
            warnOfKind("systems that start before the one before them", start.pointer,
                       name + " starts at " + measure + ", before " + SystemName(previous.item) +
                           " (measure " + std::to_string(previous.measure) + ")");
        }
    }
    for (const auto &[kind, count] : counts) {
        if (count > kMostOfAKind) {
            warnings.push_back(fileName + ": " + std::to_string(count - kMostOfAKind) +
                               " more warnings not shown: " + kind);
        }
    }
    // A page format record the document lacks leaves its fields unread. The
    // indents are always in the document (under pageFormat), so the
    // commands still work: the warning is that the module sees less.
    const char *variant = document.currentPart == 0 ? "score" : "parts";
    const std::string missing = MissingPageFormatRecords(document, variant);
    if (!missing.empty()) {
        warn("/records", std::string("the ") + variant + " page format misses all or part of " +
                             missing +
                             ": the fields there cannot be read (the commands "
                             "need none of them)");
    }
    const std::size_t staves = document.slots.size();
    if (document.currentPart < 0) {
        warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                 " cannot exist: 0 is the score, and parts count from 1");
    } else if (static_cast<std::size_t>(document.currentPart) > staves) {
        warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                 " cannot exist: each part shows at least one staff, and the "
                                 "document has " +
                                 std::to_string(staves) +
                                 (staves == 1 ? " staff slot" : " staff slots"));
    }
    return warnings;
}

}  // namespace standin
