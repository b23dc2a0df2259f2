// Writing a document file in the one layout this tool writes: one line per
// staff system, measure and record, so that a person can read, edit and
// compare documents line by line.
#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>

#include "interface/record_bytes.h"
#include "standin/document/document.h"
#include "standin/document/document_fields.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/text_output.h"

namespace standin {
namespace {

using Json = nlohmann::ordered_json;

std::string Inline(const Json &value) {
    if (!value.is_object() && !value.is_array()) return value.dump();
    std::string text;
    for (const auto &member : value.items()) {
        if (!text.empty()) text += ", ";
        if (value.is_object()) text += Json(member.key()).dump() + ": ";
        text += Inline(member.value());
    }
    return value.is_object() ? "{" + text + "}" : "[" + text + "]";
}

// Lists, and objects of objects, one element per line; everything else
// on the line of its name.
std::string Block(const Json &value) {
    const bool ofObjects = value.is_object() && !value.empty() &&
                           std::all_of(value.begin(), value.end(),
                                       [](const Json &element) { return element.is_object(); });
    if (!(value.is_array() && !value.empty()) && !ofObjects) return Inline(value);
    std::string text = value.is_array() ? "[\n" : "{\n";
    std::size_t i = 0;
    for (const auto &member : value.items()) {
        text += "    ";
        if (value.is_object()) text += Json(member.key()).dump() + ": ";
        text += Inline(member.value()) + (++i < value.size() ? ",\n" : "\n");
    }
    return text + (value.is_array() ? "  ]" : "  }");
}

std::string KeyText(const RecordKey &key) {
    return "'" + hostdata::TagText(key.tag) + "' (" + std::to_string(key.item) + "," +
           std::to_string(key.inci) + ")";
}

bool AllZero(const Bytes &bytes, const std::vector<bool> &named) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != 0 && !(i < named.size() && named[i])) return false;
    }
    return true;
}

Json PageFormat(const RecordStore &records) {
    Json pageFormat = Json::object();
    for (const auto &word : fields::kPageFormatWords) {
        const Bytes *record = records.Find(word.Key());
        if (record == nullptr || record->size() != fields::kOtherRecordSize) {
            throw DocumentError("the host no longer holds " + KeyText(word.Key()) +
                                " as a 12-byte record, which /pageFormat/" + word.variant + "/" +
                                word.name + " lives in");
        }
        pageFormat[word.variant][word.name] = hostdata::ReadI16(record->data(), word.Offset());
    }
    return pageFormat;
}

Json System(const Bytes &bytes, const std::map<int16_t, int16_t> &layout, int16_t item) {
    Json system = Json::object();
    system["firstMeasure"] = hostdata::ReadI16(bytes.data(), fields::kSystemFirstMeasure);
    system["leftIndent"] = hostdata::ReadI16(bytes.data(), fields::kSystemLeftIndent);
    const auto laidOut = layout.find(item);
    if (laidOut != layout.end()) system["layoutFirstMeasure"] = laidOut->second;
    std::vector<bool> named(fields::kSystemSize, false);
    for (std::size_t offset : {fields::kSystemLeftIndent, fields::kSystemFirstMeasure}) {
        named[offset] = named[offset + 1] = true;
    }
    if (!AllZero(bytes, named)) system["bytes"] = FormatByteText(bytes, named);
    return system;
}

Json Measure(int16_t number, Bytes bytes) {
    const uint16_t flags = hostdata::ReadU16(bytes.data(), fields::kMeasureFlags);
    const uint16_t barline = hostdata::ReadU16(bytes.data(), fields::kMeasureBarline);
    Json measure = Json::object();
    measure["number"] = number;
    measure["barlineStyle"] = (barline & fields::kBarlineStyleMask) >> fields::kBarlineStyleShift;
    measure["fullNames"] = (flags & fields::kFullNamesBit) != 0;
    hostdata::WriteU16(bytes.data(), fields::kMeasureFlags,
                       static_cast<uint16_t>(flags & ~fields::kFullNamesBit));
    hostdata::WriteU16(bytes.data(), fields::kMeasureBarline,
                       static_cast<uint16_t>(barline & ~fields::kBarlineStyleMask));
    if (!AllZero(bytes, {})) measure["bytes"] = FormatByteText(bytes);
    return measure;
}

}  // namespace

std::string DocumentText(const Document &document) {
    Json root = Json::object();
    if (!document.description.empty()) root["description"] = document.description;
    root["hostVersion"] = Hex32(document.hostVersion);
    root["currentPart"] = document.currentPart;
    if (!document.slots.empty()) {
        Json slots = Json::object();
        for (const auto &[slot, staff] : document.slots) slots[std::to_string(slot)] = staff;
        root["slots"] = slots;
    }
    root["pageFormat"] = PageFormat(document.records);

    Json systems = Json::array();
    int16_t systemCount = 0;
    while (systemCount < std::numeric_limits<int16_t>::max()) {
        const auto item = static_cast<int16_t>(systemCount + 1);
        const Bytes *system = document.records.Find({hostdata::kStaffSystemTag, item, 0});
        if (system == nullptr || system->size() != fields::kSystemSize) break;
        systems.push_back(System(*system, document.layout, item));
        systemCount = item;
    }
    root["systems"] = systems;

    Json measures = Json::array();
    Json records = Json::array();
    for (const auto &[key, bytes] : document.records.All()) {
        const bool listedSystem = key.tag == hostdata::kStaffSystemTag && key.inci == 0 &&
                                  key.item >= 1 && key.item <= systemCount;
        if (listedSystem) continue;
        if (fields::SectionOf(key, bytes.size(), systems.size()) == fields::Section::Measures) {
            measures.push_back(Measure(key.item, bytes));
            continue;
        }
        const std::vector<bool> named = fields::PageFormatBytes(key);
        if (!named.empty() && AllZero(bytes, named)) continue;
        Json record = Json::object();
        record["tag"] = hostdata::TagText(key.tag);
        record["item"] = key.item;
        record["inci"] = key.inci;
        record["bytes"] = FormatByteText(bytes, named);
        records.push_back(record);
    }
    root["measures"] = measures;
    if (!records.empty()) root["records"] = records;

    std::string text = "{\n";
    std::size_t i = 0;
    for (const auto &member : root.items()) {
        text += "  " + Json(member.key()).dump() + ": " + Block(member.value()) +
                (++i < root.size() ? ",\n" : "\n");
    }
    return text + "}\n";
}

void PutIntoHost(const Document &document, Host &host) {
    host.Records() = document.records;
    host.Slots() = document.slots;
    host.Layout() = document.layout;
    host.SetCurrentPart(document.currentPart);
}

void TakeFromHost(Document &document, const Host &host) { document.records = host.Records(); }

}  // namespace standin
