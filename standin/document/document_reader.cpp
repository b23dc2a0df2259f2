// Reading a document file. Every fault names the file, the place as a JSON
// pointer, and what was expected there; nothing half-read is ever used.
#include <algorithm>
#include <cctype>
#include <functional>
#include <initializer_list>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <set>

#include "interface/record_bytes.h"
#include "standin/document/document.h"
#include "standin/document/document_fields.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/file_access.h"
#include "standin/platform/memory_reserve.h"

namespace standin {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char *kInt16 = "a 16-bit signed number (-32768 to 32767)";

std::string Escaped(const std::string &key) {
    std::string escaped;
    for (char c : key) {
        if (c == '~') {
            escaped += "~0";
        } else if (c == '/') {
            escaped += "~1";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// How many letters to change, add or remove to make one name the other,
// case aside.
std::size_t Distance(const std::string &a, const std::string &b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            const std::size_t replaced = diagonal + (same ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({replaced, row[j] + 1, row[j - 1] + 1});
        }
    }
    return row[b.size()];
}

// The known name an unknown one most likely means: a slip of a letter or
// two, or of a third of a longer name; none when no name is that near.
const char *Nearest(const std::string &unknown, std::initializer_list<const char *> known) {
    const char *nearest = nullptr;
    std::size_t best = std::max<std::size_t>(2, unknown.size() / 3) + 1;
    for (const char *name : known) {
        const std::size_t distance = Distance(unknown, name);
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

// A number that is not a whole number, as it was written: the place in the
// document -> its text.
using WrittenNumbers = std::map<std::string, std::string>;

// Builds the document's values from the parser's events, and refuses as it
// goes what no document holds: a key given twice in one object (which of
// the two a reader takes is anyone's guess, so the document cannot be
// trusted), values nested deeper than a document nests them, and more
// values than a document can hold, so that no text makes the parsed
// document outgrow the memory the program has.
class Builder {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    Builder(const std::string &text, const std::string &fileName)
        : text_(text), fileName_(fileName) {}

    bool null() { return Value(nullptr); }
    bool boolean(bool value) { return Value(value); }
    bool number_integer(number_integer_t value) { return Value(value); }
    bool number_unsigned(number_unsigned_t value) { return Value(value); }
    bool number_float(number_float_t value, const string_t &text) {
        written_[Pointer()] = text;
        return Value(value);
    }
    bool string(string_t &value) { return Value(std::move(value)); }
    bool binary(binary_t &value) { return Value(std::move(value)); }
    bool start_object(std::size_t) { return Open(Json::object(), false); }
    bool start_array(std::size_t) { return Open(Json::array(), true); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }

    bool key(string_t &key) {
        Frame &object = frames_.back();
        object.key = key;
        if (!object.keys.insert(key).second) Fail("given twice in one object; keep one of them");
        return true;
    }

    bool parse_error(std::size_t position, const std::string &token,
                     const nlohmann::detail::exception &error) {
        // Number overflow: the one fault the parser finds past the syntax.
        constexpr int kNumberOverflow = 406;
        if (error.id == kNumberOverflow) {
            Fail("the number " + token + " is out of range for any value of a document");
        }
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        const std::string what = error.what();
        const auto start = what.find("] ");
        std::string why = start == std::string::npos ? what : what.substr(start + 2);
        // The parser stops at the '/' that begins "//" or "/*" and calls it
        // an invalid literal.
        const bool comment = !token.empty() && token.back() == '/' && position < text_.size() &&
                             (text_[position] == '/' || text_[position] == '*');
        const auto place = why.find(": ");
        if (comment && place != std::string::npos) {
            why = why.substr(0, place) +
                  ": a comment; JSON has none, and a document allows none: remove it";
        }
        throw DocumentError(fileName_ + ": not valid JSON: " + why);
    }

    Json TakeDocument() { return std::move(root_); }
    const WrittenNumbers &Written() const { return written_; }

private:
    struct Frame {
        Json *container;
        bool array;
        std::size_t index = 0;  // of the element being read
        std::string key = {};   // of the member being read
        std::set<std::string> keys = {};
    };

    [[noreturn]] void Fail(const std::string &what) const {
        const std::string pointer = Pointer();
        throw DocumentError(fileName_ + ": " + (pointer.empty() ? "/" : pointer) + ": " + what);
    }

    // Where the next value goes: nowhere yet (the root), or in the open
    // list or object, which alone grows while it is open, so that the
    // places of the containers around it hold.
    Json &Put(Json value) {
        Count();
        if (frames_.empty()) return root_ = std::move(value);
        Frame &open = frames_.back();
        if (open.array) {
            open.container->push_back(std::move(value));
            return open.container->back();
        }
        // Keys are known to be new: no search through the object.
        Json::object_t::Container &members = open.container->get_ref<Json::object_t &>();
        members.emplace_back(open.key, std::move(value));
        return members.back().second;
    }

    void ElementDone() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    }

    bool Value(Json value) {
        Put(std::move(value));
        ElementDone();
        return true;
    }

    bool Open(Json empty, bool array) {
        if (frames_.size() == kDocumentMostDepth) {
            Fail("values nested more than " + std::to_string(kDocumentMostDepth) +
                 " deep; a document nests them at most 3 deep");
        }
        frames_.push_back({&Put(std::move(empty)), array});
        return true;
    }

    bool Close() {
        frames_.pop_back();
        ElementDone();
        return true;
    }

    void Count() {
        // Here, unlike in the library's destructors, giving up is safe.
        if (MemoryRanShort()) throw std::bad_alloc();
        if (++values_ > kDocumentMostValues) {
            throw DocumentError(fileName_ + ": more than " + std::to_string(kDocumentMostValues) +
                                " JSON values, the most a document may hold");
        }
    }

    std::string Pointer() const {
        std::string pointer;
        for (const Frame &frame : frames_) {
            pointer += "/" + (frame.array ? std::to_string(frame.index) : Escaped(frame.key));
        }
        return pointer;
    }

    const std::string &text_;
    const std::string &fileName_;
    Json root_;
    std::vector<Frame> frames_;
    std::size_t values_ = 0;
    WrittenNumbers written_;
};

// What a value is, for a message: its own text when short; a number that
// is not a whole number as it was written.
std::string Found(const Json &value, const std::string &pointer, const WrittenNumbers &written) {
    if (value.is_object()) return "an object";
    if (value.is_array()) return "a list";
    const auto asWritten = written.find(pointer);
    std::string text =
        value.is_number_float() && asWritten != written.end() ? asWritten->second : value.dump();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

// Walks one parsed document; `pointer` arguments are JSON pointers into it.
class Reader {
public:
    Reader(std::string fileName, const WrittenNumbers &written)
        : fileName_(std::move(fileName)), written_(written) {}

    [[noreturn]] void Fail(const std::string &pointer, const std::string &what) const {
        throw DocumentError(fileName_ + ": " + (pointer.empty() ? "/" : pointer) + ": " + what);
    }

    [[noreturn]] void Expected(const std::string &pointer, const std::string &expected,
                               const Json &found) const {
        Fail(pointer, "expected " + expected + ", found " + Found(found, pointer, written_));
    }

    void RequireObject(const Json &value, const std::string &pointer,
                       std::initializer_list<const char *> keys, const char *expected) const {
        if (!value.is_object()) Expected(pointer, expected, value);
        for (const auto &member : value.items()) {
            bool known = false;
            std::string names;
            for (const char *key : keys) {
                known = known || member.key() == key;
                names += std::string(names.empty() ? "" : ", ") + key;
            }
            if (!known) {
                const char *nearest = Nearest(member.key(), keys);
                Fail(pointer + "/" + Escaped(member.key()),
                     nearest == nullptr ? "unknown field; expected one of " + names
                                        : "unknown field; did you mean " + std::string(nearest) +
                                              "? (expected one of " + names + ")");
            }
        }
    }

    const Json *Optional(const Json &object, const char *key) const {
        const auto found = object.find(key);
        return found == object.end() ? nullptr : &*found;
    }

    const Json &Required(const Json &object, const std::string &pointer, const char *key,
                         const std::string &expected) const {
        const Json *value = Optional(object, key);
        if (value == nullptr) Fail(pointer + "/" + key, "missing; expected " + expected);
        return *value;
    }

    int64_t Integer(const Json &value, const std::string &pointer, int64_t low, int64_t high,
                    const std::string &expected) const {
        if (value.is_number_unsigned()) {
            const auto number = value.get<uint64_t>();
            if (number <= static_cast<uint64_t>(high)) {
                const auto wide = static_cast<int64_t>(number);
                if (wide >= low) return wide;
            }
        } else if (value.is_number_integer()) {
            const auto number = value.get<int64_t>();
            if (number >= low && number <= high) return number;
        }
        Expected(pointer, expected, value);
    }

    int16_t Int16(const Json &object, const std::string &pointer, const char *key) const {
        const Json &value = Required(object, pointer, key, kInt16);
        return static_cast<int16_t>(Integer(value, pointer + "/" + key, -32768, 32767, kInt16));
    }

    std::string Text(const Json &value, const std::string &pointer,
                     const std::string &expected) const {
        if (!value.is_string()) Expected(pointer, expected, value);
        return value.get<std::string>();
    }

    // Bytes with ".." exactly where `namedBy` names the field that gives
    // the byte, `size` of them when given.
    Bytes RecordBytes(const Json &value, const std::string &pointer, std::size_t size,
                      const std::vector<std::string> &namedBy) const {
        const std::string expected = size == 0 ? std::string("record bytes as hex text")
                                               : std::to_string(size) + " record bytes as hex text";
        const ByteText text = ParseByteText(Text(value, pointer, expected));
        if (!text.error.empty()) Fail(pointer, text.error);
        if (size != 0 && text.bytes.size() != size) {
            Fail(pointer, "expected " + std::to_string(size) + " bytes, found " +
                              std::to_string(text.bytes.size()));
        }
        for (std::size_t i = 0; i < text.bytes.size(); ++i) {
            const std::string name = i < namedBy.size() ? namedBy[i] : "";
            if (!name.empty() && !text.named[i]) {
                Fail(pointer, "byte " + std::to_string(i) + " is given by " + name +
                                  "; expected '..' there");
            }
            if (name.empty() && text.named[i]) {
                Fail(pointer, "byte " + std::to_string(i) +
                                  " is not given by name; expected two hex digits, not '..'");
            }
        }
        return text.bytes;
    }

private:
    std::string fileName_;
    const WrittenNumbers &written_;
};

uint32_t HostVersion(const Reader &reader, const Json &value) {
    const char *expected = "a 32-bit host version such as \"0x12000000\"";
    if (!value.is_string()) {
        return static_cast<uint32_t>(
            reader.Integer(value, "/hostVersion", 0, 0xFFFFFFFF, expected));
    }
    const std::string text = value.get<std::string>();
    std::size_t used = 0;
    unsigned long long number = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    try {
        if (hex && std::isxdigit(static_cast<unsigned char>(text[2]))) {
            number = std::stoull(text, &used, 16);
        }
    } catch (const std::exception &) {
        used = 0;
    }
    if (!hex || used != text.size() || number > 0xFFFFFFFFull) {
        reader.Expected("/hostVersion", expected, value);
    }
    return static_cast<uint32_t>(number);
}

std::map<uint16_t, int16_t> Slots(const Reader &reader, const Json &value) {
    if (!value.is_object()) {
        reader.Expected("/slots", "an object of staff slot -> staff number", value);
    }
    std::map<uint16_t, int16_t> slots;
    for (const auto &member : value.items()) {
        const std::string pointer = "/slots/" + Escaped(member.key());
        const std::string &key = member.key();
        const bool digits = !key.empty() && key.size() <= 5 &&
                            key.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoul(key) > 0xFFFF) {
            reader.Fail(pointer, "expected a staff slot number (0 to 65535) as the name");
        }
        const auto slot = static_cast<uint16_t>(std::stoul(key));
        if (slots.count(slot) != 0) {
            reader.Fail(pointer, "staff slot " + std::to_string(slot) + " is already given");
        }
        slots[slot] =
            static_cast<int16_t>(reader.Integer(member.value(), pointer, -32768, 32767, kInt16));
    }
    return slots;
}

// Records with the place in the document that gave each, so that a record
// given twice is named with both places.
class Placed {
public:
    Placed(const Reader &reader, Document &document) : reader_(reader), document_(document) {}

    void Put(const RecordKey &key, Bytes bytes, const std::string &pointer) {
        const auto earlier = document_.places.find(key);
        if (earlier != document_.places.end()) {
            reader_.Fail(pointer, "record '" + hostdata::TagText(key.tag) + "' (" +
                                      std::to_string(key.item) + "," + std::to_string(key.inci) +
                                      ") is already given at " + earlier->second);
        }
        document_.places[key] = pointer;
        document_.records.Put(key, std::move(bytes));
    }

private:
    const Reader &reader_;
    Document &document_;
};

// The name of the field that gives each byte of a record; empty for raw bytes.
using ByteNames = std::vector<std::string>;

void NameWord(ByteNames &names, std::size_t offset, const std::string &name) {
    names[offset] = names[offset + 1] = name;
}

void ReadSystems(const Reader &reader, const Json &list, Document &document, Placed &placed) {
    if (!list.is_array()) reader.Expected("/systems", "a list of staff systems", list);
    ByteNames named(fields::kSystemSize);
    NameWord(named, fields::kSystemLeftIndent, "leftIndent");
    NameWord(named, fields::kSystemFirstMeasure, "firstMeasure");
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string pointer = "/systems/" + std::to_string(i);
        const Json &system = list[i];
        reader.RequireObject(system, pointer,
                             {"firstMeasure", "leftIndent", "layoutFirstMeasure", "bytes"},
                             "a staff system");
        if (i + 1 > 32767) reader.Fail(pointer, "expected at most 32767 staff systems");
        const auto item = static_cast<int16_t>(i + 1);
        Bytes bytes(fields::kSystemSize, 0);
        if (const Json *raw = reader.Optional(system, "bytes")) {
            bytes = reader.RecordBytes(*raw, pointer + "/bytes", fields::kSystemSize, named);
        }
        hostdata::WriteU16(bytes.data(), fields::kSystemLeftIndent,
                           static_cast<uint16_t>(reader.Int16(system, pointer, "leftIndent")));
        hostdata::WriteU16(bytes.data(), fields::kSystemFirstMeasure,
                           static_cast<uint16_t>(reader.Int16(system, pointer, "firstMeasure")));
        if (reader.Optional(system, "layoutFirstMeasure") != nullptr) {
            document.layout[item] = reader.Int16(system, pointer, "layoutFirstMeasure");
        }
        placed.Put({hostdata::kStaffSystemTag, item, 0}, std::move(bytes), pointer);
    }
}

void ReadMeasures(const Reader &reader, const Json &list, Placed &placed) {
    if (!list.is_array()) reader.Expected("/measures", "a list of measures", list);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string pointer = "/measures/" + std::to_string(i);
        const Json &measure = list[i];
        reader.RequireObject(measure, pointer, {"number", "barlineStyle", "fullNames", "bytes"},
                             "a measure");
        const char *numberText = "a measure number (1 to 32767)";
        const auto number = static_cast<int16_t>(
            reader.Integer(reader.Required(measure, pointer, "number", numberText),
                           pointer + "/number", 1, 32767, numberText));
        const char *styleText = "a barline style (0 to 15; 5 is the final barline)";
        const auto style = static_cast<uint16_t>(
            reader.Integer(reader.Required(measure, pointer, "barlineStyle", styleText),
                           pointer + "/barlineStyle", 0, 15, styleText));
        const Json &fullNames = reader.Required(measure, pointer, "fullNames", "true or false");
        if (!fullNames.is_boolean()) {
            reader.Expected(pointer + "/fullNames", "true or false", fullNames);
        }
        Bytes bytes(fields::kMeasureSize, 0);
        if (const Json *raw = reader.Optional(measure, "bytes")) {
            bytes = reader.RecordBytes(*raw, pointer + "/bytes", fields::kMeasureSize, {});
            if (hostdata::ReadU16(bytes.data(), fields::kMeasureFlags) & fields::kFullNamesBit) {
                reader.Fail(pointer + "/bytes",
                            "bit 0x0800 of the flags word (bytes 12-13) is given by fullNames; "
                            "expected it clear");
            }
            if (hostdata::ReadU16(bytes.data(), fields::kMeasureBarline) &
                fields::kBarlineStyleMask) {
                reader.Fail(pointer + "/bytes",
                            "bits 0x00F0 of the barline word (bytes 14-15) are given by "
                            "barlineStyle; expected them clear");
            }
        }
        uint16_t flags = hostdata::ReadU16(bytes.data(), fields::kMeasureFlags);
        if (fullNames.get<bool>()) flags |= fields::kFullNamesBit;
        hostdata::WriteU16(bytes.data(), fields::kMeasureFlags, flags);
        const uint16_t barline = hostdata::ReadU16(bytes.data(), fields::kMeasureBarline);
        hostdata::WriteU16(bytes.data(), fields::kMeasureBarline,
                           static_cast<uint16_t>(barline | (style << fields::kBarlineStyleShift)));
        placed.Put({hostdata::kMeasureTag, number, 0}, std::move(bytes), pointer);
    }
}

// The page format values that live in `key`; none for most records.
ByteNames PageFormatByteNames(const RecordKey &key) {
    ByteNames names;
    for (const auto &word : fields::kPageFormatWords) {
        if (!(word.Key() == key)) continue;
        names.resize(fields::kOtherRecordSize);
        NameWord(names, word.Offset(),
                 std::string("/pageFormat/") + word.variant + "/" + word.name);
    }
    return names;
}

void ReadRecords(const Reader &reader, const Json &list, Document &document, Placed &placed,
                 std::size_t systemCount) {
    if (!list.is_array()) reader.Expected("/records", "a list of records", list);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string pointer = "/records/" + std::to_string(i);
        const Json &record = list[i];
        reader.RequireObject(record, pointer, {"tag", "item", "inci", "bytes"}, "a record");
        const char *tagText = "a data tag of four characters such as \"ot77\"";
        const std::string tag = reader.Text(reader.Required(record, pointer, "tag", tagText),
                                            pointer + "/tag", tagText);
        bool printable = tag.size() == 4;
        for (char c : tag) printable = printable && c >= 0x20 && c < 0x7F;
        if (!printable) reader.Expected(pointer + "/tag", tagText, record["tag"]);
        const RecordKey key{hostdata::MakeTag(tag[0], tag[1], tag[2], tag[3]),
                            reader.Int16(record, pointer, "item"),
                            reader.Int16(record, pointer, "inci")};
        const ByteNames named = PageFormatByteNames(key);
        const Bytes bytes = reader.RecordBytes(
            reader.Required(record, pointer, "bytes", "record bytes as hex text"),
            pointer + "/bytes", named.size(), named);
        const fields::Section section = fields::SectionOf(key, bytes.size(), systemCount);
        if (section != fields::Section::Raw && document.records.Find(key) == nullptr) {
            reader.Fail(pointer, section == fields::Section::Systems
                                     ? "this record is a staff system; give it in /systems"
                                     : "this record is a measure; give it in /measures");
        }
        placed.Put(key, bytes, pointer);
    }
}

void ReadPageFormat(const Reader &reader, const Json &pageFormat, Document &document) {
    reader.RequireObject(pageFormat, "/pageFormat", {"score", "parts"},
                         "the page formats of the score and of the parts");
    for (const char *variant : fields::kPageFormatVariants) {
        const std::string pointer = std::string("/pageFormat/") + variant;
        const Json &values = reader.Required(pageFormat, "/pageFormat", variant, "a page format");
        reader.RequireObject(
            values, pointer,
            {"systemIndent", "firstSystemIndent", "extraValue1", "extraValue2", "extraValue3"},
            "a page format");
        for (const auto &word : fields::kPageFormatWords) {
            if (std::string(word.variant) != variant) continue;
            Bytes *record = document.records.Find(word.Key());
            if (record == nullptr) {
                document.records.Put(word.Key(), Bytes(fields::kOtherRecordSize, 0));
                record = document.records.Find(word.Key());
            }
            hostdata::WriteU16(record->data(), word.Offset(),
                               static_cast<uint16_t>(reader.Int16(values, pointer, word.name)));
        }
    }
}

// Notepad's "Unicode" is UTF-16, which begins with its byte order mark; a
// UTF-16 text without one shows by the zero beside each ASCII character.
bool IsUtf16(const std::string &text) {
    if (text.size() < 2) return false;
    const auto first = static_cast<unsigned char>(text[0]);
    const auto second = static_cast<unsigned char>(text[1]);
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF) ||
           ((first == 0) != (second == 0));
}

}  // namespace

Document ParseDocument(const std::string &text, const std::string &fileName) {
    if (IsUtf16(text)) {
        throw DocumentError(fileName +
                            ": the file is UTF-16 (what Notepad calls \"Unicode\"); a document "
                            "is UTF-8: save it again as UTF-8");
    }
    Builder builder(text, fileName);
    Json::sax_parse(text, &builder);
    const Json root = builder.TakeDocument();
    const Reader reader(fileName, builder.Written());
    reader.RequireObject(root, "",
                         {"description", "hostVersion", "currentPart", "slots", "pageFormat",
                          "systems", "measures", "records"},
                         "a document object");
    Document document;
    if (const Json *description = reader.Optional(root, "description")) {
        document.description = reader.Text(*description, "/description", "a text");
    }
    document.hostVersion =
        HostVersion(reader, reader.Required(root, "", "hostVersion", "a 32-bit host version"));
    const char *partText = "a part number (0 for the score)";
    document.currentPart = static_cast<int32_t>(reader.Integer(
        reader.Required(root, "", "currentPart", partText), "/currentPart",
        std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), partText));
    if (const Json *slots = reader.Optional(root, "slots")) document.slots = Slots(reader, *slots);

    Placed placed(reader, document);
    const Json &systems = reader.Required(root, "", "systems", "a list of staff systems");
    ReadSystems(reader, systems, document, placed);
    ReadMeasures(reader, reader.Required(root, "", "measures", "a list of measures"), placed);
    if (const Json *records = reader.Optional(root, "records")) {
        ReadRecords(reader, *records, document, placed, systems.size());
    }
    ReadPageFormat(
        reader,
        reader.Required(root, "", "pageFormat", "the page formats of the score and of the parts"),
        document);
    return document;
}

std::string DocumentName(const std::string &path) {
    return path == kStandardInput ? "standard input" : path;
}

Document ReadDocumentFile(const std::string &path, std::string *wasRead) {
    std::string text;
    try {
        text = path == kStandardInput ? ReadStandardInput(kDocumentSizeLimit)
                                      : ReadRegularFile(path, kDocumentSizeLimit);
    } catch (const FileError &error) {
        throw DocumentError(error.what());
    }
    Document document = ParseDocument(text, DocumentName(path));
    if (wasRead != nullptr) *wasRead = std::move(text);
    return document;
}

}  // namespace standin
