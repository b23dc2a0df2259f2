#include "standin/document/record_fields.h"

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/document/document_fields.h"
#include "standin/host/host.h"

namespace standin {
namespace {

// A field's value before and after, as a document writes it.
struct NamedValue {
    std::string name;
    std::string before, after;
};

void Compare(std::vector<std::string> &lines, const std::vector<NamedValue> &values) {
    for (const NamedValue &value : values) {
        if (value.before != value.after) {
            lines.push_back(value.name + ": " + value.before + " -> " + value.after);
        }
    }
}

std::string Word(const Bytes &bytes, std::size_t offset) {
    return std::to_string(hostdata::ReadI16(bytes.data(), offset));
}

std::string BarlineStyle(const Bytes &measure) {
    return std::to_string(
        (hostdata::ReadU16(measure.data(), fields::kMeasureBarline) & fields::kBarlineStyleMask) >>
        fields::kBarlineStyleShift);
}

std::string FullNames(const Bytes &measure) {
    const bool shown =
        (hostdata::ReadU16(measure.data(), fields::kMeasureFlags) & fields::kFullNamesBit) != 0;
    return shown ? "true" : "false";
}

}  // namespace

std::vector<std::string> NamedFieldChanges(const RecordKey &key, uint32_t version,
                                           const Bytes &before, const Bytes &after) {
    std::vector<std::string> lines;
    if (before.size() != after.size()) return lines;
    if (key.tag == hostdata::kStaffSystemTag && before.size() == fields::kSystemSize) {
        Compare(lines, {{"leftIndent", Word(before, fields::kSystemLeftIndent),
                         Word(after, fields::kSystemLeftIndent)},
                        {"firstMeasure", Word(before, fields::kSystemFirstMeasure),
                         Word(after, fields::kSystemFirstMeasure)}});
    } else if (key.tag == hostdata::kMeasureTag &&
               before.size() == MeasureInLayout(Bytes(fields::kMeasureSize, 0), version).size()) {
        // In the document's 30-byte layout, whatever layout the version hands over.
        const Bytes a = MeasureFromLayout(before, version, Bytes(fields::kMeasureSize, 0));
        const Bytes b = MeasureFromLayout(after, version, Bytes(fields::kMeasureSize, 0));
        Compare(lines, {{"barlineStyle", BarlineStyle(a), BarlineStyle(b)},
                        {"fullNames", FullNames(a), FullNames(b)}});
    } else if (before.size() == fields::kOtherRecordSize) {
        for (const auto &word : fields::kPageFormatWords) {
            if (!(word.Key() == key)) continue;
            Compare(lines, {{std::string("pageFormat ") + word.variant + " " + word.name,
                             Word(before, word.Offset()), Word(after, word.Offset())}});
        }
    }
    return lines;
}

}  // namespace standin
