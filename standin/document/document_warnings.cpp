#include "standin/document/document_warnings.h"

#include <algorithm>
#include <map>
#include <utility>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
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

namespace {

// The warnings about one document, each "file: pointer: what"; of each kind
// of warning about systems the first few: a large document could give
// thousands.
class Warnings {
public:
    explicit Warnings(std::string fileName) : fileName_(std::move(fileName)) {}

    void Warn(const std::string &pointer, const std::string &what) {
        lines_.push_back(fileName_ + ": " + pointer + ": " + what);
    }
    void WarnOfKind(const char *kind, const std::string &pointer, const std::string &what) {
        if (++counts_[kind] <= kMostOfAKind) Warn(pointer, what);
    }
    // One line for each kind with more warnings than were shown.
    void CountWhatWasNotShown() {
        for (const auto &[kind, count] : counts_) {
            if (count <= kMostOfAKind) continue;
            lines_.push_back(fileName_ + ": " + std::to_string(count - kMostOfAKind) +
                             " more warnings not shown: " + kind);
        }
    }
    std::vector<std::string> Lines() const { return lines_; }

private:
    static constexpr std::size_t kMostOfAKind = 5;
    std::string fileName_;
    std::vector<std::string> lines_;
    std::map<std::string, std::size_t> counts_;  // kind of warning -> how many were given
};

// A system numbered past a gap, or starting at no measure the document has.
void WarnOfWhereASystemStarts(Warnings &warnings, const SystemStart &start, int expectedItem,
                              int lastMeasure) {
    const std::string name = SystemName(start.item);
    const std::string measure = "measure " + std::to_string(start.measure);
    if (start.item != expectedItem) {
        warnings.WarnOfKind("systems after a gap", start.pointer,
                            name + " comes after a gap (there is no system " +
                                std::to_string(start.item - 1) +
                                "): a host numbers its systems 1, 2, ... without one");
    }
    if (start.measure < 0) {
        warnings.WarnOfKind("systems that start at a negative measure", start.pointer,
                            name + " starts at " + measure + ", which is negative");
    } else if (start.measure == 0) {
        warnings.WarnOfKind("systems not laid out and without a layoutFirstMeasure", start.pointer,
                            name +
                                " is not laid out and has no layoutFirstMeasure for the host to "
                                "lay it out at");
    } else if (start.measure > lastMeasure) {
        warnings.WarnOfKind("systems that start beyond the last measure", start.pointer,
                            name + " starts at " + measure + ", beyond the last measure (" +
                                std::to_string(lastMeasure) + ")");
    }
}

// A system that starts where the one before it does, or before it.
void WarnOfSystemOrder(Warnings &warnings, const SystemStart &start, const SystemStart &previous) {
    if (start.measure <= 0 || previous.measure <= 0) return;
    const std::string name = SystemName(start.item);
    const std::string measure = "measure " + std::to_string(start.measure);
    if (start.measure == previous.measure) {
        warnings.WarnOfKind(
            "systems that start where the one before them does", start.pointer,
            name + " starts at " + measure + ", as " + SystemName(previous.item) + " does");
    } else if (start.measure < previous.measure) {
        warnings.WarnOfKind("systems that start before the one before them", start.pointer,
                            name + " starts at " + measure + ", before " +
                                SystemName(previous.item) + " (measure " +
                                std::to_string(previous.measure) + ")");
    }
}

void WarnOfSystems(Warnings &warnings, const Document &document) {
    const int last = LastMeasure(document);
    const std::vector<SystemStart> starts = SystemStarts(document);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const int expectedItem = i == 0 ? 1 : starts[i - 1].item + 1;
        WarnOfWhereASystemStarts(warnings, starts[i], expectedItem, last);
        if (i > 0) WarnOfSystemOrder(warnings, starts[i], starts[i - 1]);
    }
}

// A page format record the document lacks leaves its fields unread. The
// indents are always in the document (under pageFormat), so the commands
// still work: the warning is that the module sees less.
void WarnOfThePageFormat(Warnings &warnings, const Document &document) {
    const char *variant = document.currentPart == 0 ? "score" : "parts";
    const std::string missing = MissingPageFormatRecords(document, variant);
    if (missing.empty()) return;
    warnings.Warn("/records", std::string("the ") + variant +
                                  " page format misses all or part of " + missing +
                                  ": the fields there cannot be read (the commands "
                                  "need none of them)");
}

void WarnOfTheCurrentPart(Warnings &warnings, const Document &document) {
    const std::size_t staves = document.slots.size();
    if (document.currentPart < 0) {
        warnings.Warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                          " cannot exist: 0 is the score, and parts count from 1");
    } else if (static_cast<std::size_t>(document.currentPart) > staves) {
        warnings.Warn("/currentPart", "part " + std::to_string(document.currentPart) +
                                          " cannot exist: each part shows at least one staff, and "
                                          "the document has " +
                                          std::to_string(staves) +
                                          (staves == 1 ? " staff slot" : " staff slots"));
    }
}

}  // namespace

std::vector<std::string> DocumentWarnings(const Document &document, const std::string &fileName) {
    Warnings warnings(fileName);
    WarnOfSystems(warnings, document);
    warnings.CountWhatWasNotShown();
    WarnOfThePageFormat(warnings, document);
    WarnOfTheCurrentPart(warnings, document);
    return warnings.Lines();
}

}  // namespace standin
