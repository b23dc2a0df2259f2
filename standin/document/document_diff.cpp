#include "standin/document/document_diff.h"

#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

#include "interface/data_tag.h"
#include "standin/document/document_fields.h"
#include "standin/host/call_trace.h"
#include "standin/platform/byte_text.h"

namespace standin {
namespace {

using Json = nlohmann::ordered_json;

// Both documents as this program writes them: one form for each, so that
// the same content compares equal however it was written.
Json Written(const Document &document) { return Json::parse(DocumentText(document)); }

std::string ValueText(const Json *value) { return value == nullptr ? "none" : value->dump(); }

class Differences {
public:
    void Field(const std::string &place, const char *name, const Json *first, const Json *second) {
        const std::string a = ValueText(first), b = ValueText(second);
        if (a != b) lines_.push_back(place + name + ": " + a + " -> " + b);
    }

    // Bytes by offset; named bytes ("..") are compared by their names.
    void Bytes(const std::string &place, const Json &first, const Json &second, std::size_t size) {
        const auto bytes = [size](const Json &record) {
            const auto found = record.find("bytes");
            if (found == record.end()) return standin::Bytes(size, 0);
            return ParseByteText(found->get<std::string>()).bytes;
        };
        const standin::Bytes a = bytes(first), b = bytes(second);
        if (a != b) lines_.push_back(place + ChangedBytes(a, b));
    }

    void OnlyIn(const std::string &what, bool inFirst) {
        lines_.push_back(what + ": only in the " + (inFirst ? "first" : "second") + " document");
    }

    // The elements of two lists matched by the key `keyOf` gives each;
    // `compare` for those in both, named by `labelOf`.
    template <typename KeyOf, typename LabelOf, typename Compare>
    void Matched(const Json &first, const Json &second, KeyOf keyOf, LabelOf labelOf,
                 Compare compare) {
        using Key = decltype(keyOf(first, 0));
        std::map<Key, std::pair<const Json *, const Json *>> matched;
        for (std::size_t i = 0; i < first.size(); ++i)
            matched[keyOf(first[i], i)].first = &first[i];
        for (std::size_t i = 0; i < second.size(); ++i) {
            matched[keyOf(second[i], i)].second = &second[i];
        }
        for (const auto &[key, pair] : matched) {
            const Json &any = pair.first != nullptr ? *pair.first : *pair.second;
            const std::string label = labelOf(any, key);
            if (pair.first != nullptr && pair.second != nullptr) {
                compare(label + ": ", *pair.first, *pair.second);
            } else {
                OnlyIn(label, pair.first != nullptr);
            }
        }
    }

    std::vector<std::string> Lines() && { return std::move(lines_); }

private:
    std::vector<std::string> lines_;
};

const Json *Member(const Json &object, const char *key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

const Json &List(const Json &root, const char *key) {
    static const Json empty = Json::array();
    const Json *list = Member(root, key);
    return list == nullptr ? empty : *list;
}

RecordKey KeyOf(const Json &record) {
    const std::string tag = record["tag"].get<std::string>();
    return {hostdata::MakeTag(tag[0], tag[1], tag[2], tag[3]),
            static_cast<int16_t>(record["item"].get<int>()),
            static_cast<int16_t>(record["inci"].get<int>())};
}

// The records of `records`, and those of `other` that `records` leaves out
// but implies: a page format's record that holds 0 besides its values.
Json WithImpliedRecords(const Json &records, const Json &other) {
    Json all = records;
    std::set<RecordKey> given;
    for (const Json &record : records) given.insert(KeyOf(record));
    for (const Json &record : other) {
        const RecordKey key = KeyOf(record);
        const std::vector<bool> named = fields::PageFormatBytes(key);
        if (given.count(key) != 0 || named.empty()) continue;
        Json implied = record;
        implied["bytes"] = FormatByteText(Bytes(named.size(), 0), named);
        all.push_back(implied);
    }
    return all;
}

}  // namespace

std::vector<std::string> DocumentDifferences(const Document &first, const Document &second) {
    const Json a = Written(first), b = Written(second);
    Differences differences;
    for (const char *key : {"description", "hostVersion", "currentPart"}) {
        differences.Field("", key, Member(a, key), Member(b, key));
    }
    const Json noSlots = Json::object();
    const Json &slotsA = Member(a, "slots") ? a["slots"] : noSlots;
    const Json &slotsB = Member(b, "slots") ? b["slots"] : noSlots;
    std::map<std::string, bool> slots;
    for (const auto &member : slotsA.items()) slots[member.key()] = true;
    for (const auto &member : slotsB.items()) slots[member.key()] = true;
    for (const auto &entry : slots) {
        const std::string slot = "slot " + entry.first + ": ";
        differences.Field(slot, "staff", Member(slotsA, entry.first.c_str()),
                          Member(slotsB, entry.first.c_str()));
    }
    for (const char *variant : {"score", "parts"}) {
        const Json &pageA = a["pageFormat"][variant];
        const Json &pageB = b["pageFormat"][variant];
        for (const auto &member : pageA.items()) {
            differences.Field(std::string("page format of the ") + variant + ": ",
                              member.key().c_str(), &member.value(),
                              Member(pageB, member.key().c_str()));
        }
    }

    const auto named = [&differences](std::initializer_list<const char *> keys, std::size_t size) {
        return [&differences, keys, size](const std::string &place, const Json &x, const Json &y) {
            for (const char *key : keys)
                differences.Field(place, key, Member(x, key), Member(y, key));
            differences.Bytes(place, x, y, size);
        };
    };
    differences.Matched(
        List(a, "systems"), List(b, "systems"),
        [](const Json &, std::size_t index) { return index + 1; },
        [](const Json &, std::size_t item) { return "system " + std::to_string(item); },
        named({"firstMeasure", "leftIndent", "layoutFirstMeasure"}, fields::kSystemSize));
    differences.Matched(
        List(a, "measures"), List(b, "measures"),
        [](const Json &measure, std::size_t) { return measure["number"].get<int>(); },
        [](const Json &, int number) { return "measure " + std::to_string(number); },
        named({"barlineStyle", "fullNames"}, fields::kMeasureSize));
    differences.Matched(
        WithImpliedRecords(List(a, "records"), List(b, "records")),
        WithImpliedRecords(List(b, "records"), List(a, "records")),
        [](const Json &record, std::size_t) {
            return std::make_tuple(record["tag"].get<std::string>(), record["item"].get<int>(),
                                   record["inci"].get<int>());
        },
        [](const Json &record, const auto &) {
            return "record '" + record["tag"].get<std::string>() + "' (" + record["item"].dump() +
                   "," + record["inci"].dump() + ")";
        },
        named({}, 0));
    return std::move(differences).Lines();
}

}  // namespace standin
