// Reading a recording. Everything the plug-in writes is checked, so that a
// replay or an import never rests on a value the recording does not hold.
#include "interface/recording/recording_reader.h"

#include <algorithm>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "interface/host_functions.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/file_access.h"

namespace standin {
namespace {

using Json = nlohmann::json;

// Whether the text of `count` bytes, each read as two digits, has one space
// between two bytes and none elsewhere.
bool SingleSpaced(const std::string &text, std::size_t count) {
    if (text.size() != (count == 0 ? 0 : 3 * count - 1)) return false;
    for (std::size_t at = 2; at < text.size(); at += 3) {
        if (text[at] != ' ') return false;
    }
    return true;
}
namespace recording_text = hostdata::recording_text;

// What each host function's record holds beside its name, version and
// result.
struct Shape {
    const char *name;
    bool keyed;          // tag, key, keyAfter
    bool loads;          // room, size, handedBack
    bool handsOver;      // length, handedOver
    bool arguments;      // two numbers
    bool signedNumbers;  // the two numbers are signed; otherwise unsigned
    bool wideResult;     // a 32-bit result; the others are 16-bit
};

std::optional<Shape> ShapeOf(const std::string &name) {
    const hostdata::HostFunctionFacts *facts = hostdata::FindHostFunction(name);
    if (facts == nullptr) return std::nullopt;
    using hostdata::CallShape;
    return Shape{facts->name,
                 hostdata::IsKeyed(facts->shape),
                 facts->shape == CallShape::FillsBuffer,
                 facts->shape == CallShape::TakesBuffer,
                 facts->shape == CallShape::TwoNumbers,
                 facts->signedNumbers,
                 facts->wideResult};
}

std::string Found(const Json &value) {
    if (value.is_object()) return "an object";
    if (value.is_array()) return "a list";
    std::string text = value.dump();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

// Walks one parsed recording; `pointer` arguments are JSON pointers into it.
class Reader {
public:
    explicit Reader(std::string fileName) : fileName_(std::move(fileName)) {}

    [[noreturn]] void Fail(const std::string &what) const {
        throw RecordingError(fileName_ + ": " + what);
    }
    [[noreturn]] void Fail(const std::string &pointer, const std::string &what) const {
        Fail(pointer + ": " + what);
    }
    [[noreturn]] void Expected(const std::string &pointer, const std::string &expected,
                               const Json &found) const {
        Fail(pointer, "expected " + expected + ", found " + Found(found));
    }

    // The object's members must all be among `keys`.
    void OnlyKeys(const Json &object, const std::string &pointer,
                  const std::vector<const char *> &keys) const {
        for (const auto &member : object.items()) {
            const bool known = std::any_of(keys.begin(), keys.end(),
                                           [&](const char *key) { return member.key() == key; });
            if (!known) Fail(pointer + "/" + member.key(), "not a key of a recording");
        }
    }

    const Json &Member(const Json &object, const std::string &pointer, const char *key) const {
        const auto found = object.find(key);
        if (found == object.end()) Fail(pointer + "/" + key, "missing");
        return *found;
    }

    int64_t Integer(const Json &value, const std::string &pointer, int64_t least, int64_t most,
                    const std::string &what) const {
        const bool whole = value.is_number_integer();
        if (!whole) Expected(pointer, what, value);
        const int64_t number = value.is_number_unsigned() && value.get<uint64_t>() > INT64_MAX
                                   ? INT64_MAX
                                   : value.get<int64_t>();
        if (number < least || number > most) Expected(pointer, what, value);
        return number;
    }

    int32_t Int32(const Json &value, const std::string &pointer) const {
        return static_cast<int32_t>(
            Integer(value, pointer, INT32_MIN, INT32_MAX, "a 32-bit signed number"));
    }

    uint32_t Word(const Json &value, const std::string &pointer) const {
        const std::string what = "a 32-bit word as text, \"0x\" and 8 hex digits";
        if (!value.is_string()) Expected(pointer, what, value);
        const std::string text = value.get<std::string>();
        if (text.size() != 10 || text.compare(0, 2, "0x") != 0 ||
            text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos) {
            Expected(pointer, what, value);
        }
        return static_cast<uint32_t>(std::stoul(text.substr(2), nullptr, 16));
    }

    uint32_t Tag(const Json &value, const std::string &pointer) const {
        if (value.is_string() && value.get<std::string>().size() == 4) {
            const std::string text = value.get<std::string>();
            uint32_t tag = 0;
            for (const char c : text) tag = tag << 8 | static_cast<uint8_t>(c);
            return tag;
        }
        if (value.is_string() && value.get<std::string>().size() == 10) return Word(value, pointer);
        Expected(pointer, "a data tag: four characters, or \"0x\" and 8 hex digits", value);
    }

    // Bytes as the plug-in writes them; none when null. A document's bytes
    // may be laid out in any white space; a recording's are not laid out.
    std::optional<Bytes> OptionalBytes(const Json &value, const std::string &pointer) const {
        if (value.is_null()) return std::nullopt;
        if (!value.is_string()) Expected(pointer, "bytes as text, or null", value);
        const std::string &text = value.get<std::string>();
        ByteText parsed = ParseByteText(text);
        const bool named =
            std::find(parsed.named.begin(), parsed.named.end(), true) != parsed.named.end();
        if (!parsed.error.empty()) Fail(pointer, parsed.error);
        if (named) Fail(pointer, "\"..\" stands for no byte in a recording");
        if (!SingleSpaced(text, parsed.bytes.size())) {
            Fail(pointer, "bytes in a recording are separated by one space each");
        }
        return std::move(parsed.bytes);
    }

    // The call's bytes under `key`: null, or as many as `count` says (none
    // for a count below 0).
    void TakeBytes(const Json &value, const std::string &pointer, const char *key, int32_t count,
                   const std::string &as, RecordedCall &recorded) const {
        const std::string place = pointer + "/" + key;
        const auto bytes = OptionalBytes(Member(value, pointer, key), place);
        if (bytes && bytes->size() != static_cast<std::size_t>(std::max(count, 0))) {
            Fail(place, "an impossible size: " + std::to_string(bytes->size()) + " bytes " + as +
                            " " + std::to_string(count));
        }
        recorded.bytesKnown = bytes.has_value();
        if (bytes) recorded.call.data = *bytes;
    }

    void Key(const Json &value, const std::string &pointer, int16_t &item, int16_t &inci) const {
        if (!value.is_array() || value.size() != 2) {
            Expected(pointer, "a key: [item, inci]", value);
        }
        item = static_cast<int16_t>(
            Integer(value[0], pointer + "/0", INT16_MIN, INT16_MAX, "a 16-bit signed number"));
        inci = static_cast<int16_t>(
            Integer(value[1], pointer + "/1", INT16_MIN, INT16_MAX, "a 16-bit signed number"));
    }

    RecordedCall Call(const Json &value, const std::string &pointer,
                      const std::vector<std::string> &absent) const;
    Recording Whole(const Json &root) const;

private:
    Shape ShapeOfCall(const Json &value, const std::string &pointer,
                      const std::vector<std::string> &absent) const;
    void TagAndKeys(const Json &value, const std::string &pointer, HostCall &call) const;
    void Load(const Json &value, const std::string &pointer, RecordedCall &recorded) const;
    void Arguments(const Json &value, const std::string &pointer, const Shape &shape,
                   HostCall &call) const;
    void Heading(const Json &root) const;
    void Selection(const Json &root, Recording &recording) const;
    std::vector<std::string> AbsentFunctions(const Json &root) const;
    void Calls(const Json &root, Recording &recording) const;

    std::string fileName_;
};

// The call's shape, from its function's name; the keys it may hold are
// those of its shape only.
Shape Reader::ShapeOfCall(const Json &value, const std::string &pointer,
                          const std::vector<std::string> &absent) const {
    if (!value.is_object()) Expected(pointer, "a host call (an object)", value);
    const Json &function = Member(value, pointer, "function");
    const std::optional<Shape> shape =
        function.is_string() ? ShapeOf(function.get<std::string>()) : std::nullopt;
    if (!shape) Expected(pointer + "/function", "the name of a host function", function);
    if (std::find(absent.begin(), absent.end(), shape->name) != absent.end()) {
        Fail(pointer + "/function", std::string("a call of ") + shape->name +
                                        ", which the recording says the host lacked");
    }
    std::vector<const char *> keys{"function", "version", "result"};
    if (shape->keyed) keys.insert(keys.end(), {"tag", "key", "keyAfter"});
    if (shape->loads) keys.insert(keys.end(), {"room", "size", "handedBack"});
    if (shape->handsOver) keys.insert(keys.end(), {"length", "handedOver"});
    if (shape->arguments) keys.push_back("arguments");
    OnlyKeys(value, pointer, keys);
    return *shape;
}

void Reader::TagAndKeys(const Json &value, const std::string &pointer, HostCall &call) const {
    call.tag = Tag(Member(value, pointer, "tag"), pointer + "/tag");
    const Json &key = Member(value, pointer, "key");
    call.hasKey = !key.is_null();
    if (call.hasKey) Key(key, pointer + "/key", call.itemIn, call.inciIn);
    call.itemOut = call.itemIn;
    call.inciOut = call.inciIn;
    if (!value.contains("keyAfter")) return;
    if (!call.hasKey) Fail(pointer + "/keyAfter", "a key after a call that had none");
    Key(value["keyAfter"], pointer + "/keyAfter", call.itemOut, call.inciOut);
}

void Reader::Load(const Json &value, const std::string &pointer, RecordedCall &recorded) const {
    HostCall &call = recorded.call;
    const Json &room = Member(value, pointer, "room");
    call.hasSize = !room.is_null();
    if (call.hasSize) {
        call.sizeIn = Int32(room, pointer + "/room");
        call.sizeOut = Int32(Member(value, pointer, "size"), pointer + "/size");
    } else if (value.contains("size")) {
        Fail(pointer + "/size", "a size reported without a room offered");
    }
    // The size of a record the host loaded; a failed load's size means nothing.
    if (call.result != 0 &&
        (call.sizeOut < 0 || call.sizeOut > recording_text::kLargestRecordSize)) {
        Fail(pointer + "/size", "an impossible size: the host reports a record of " +
                                    std::to_string(call.sizeOut) + " bytes (a record holds 0 to " +
                                    std::to_string(recording_text::kLargestRecordSize) + ")");
    }
    if (!call.hasSize && !Member(value, pointer, "handedBack").is_null()) {
        Fail(pointer + "/handedBack", "bytes handed back without a room offered");
    }
    TakeBytes(value, pointer, "handedBack", call.sizeIn, "handed back in a room of", recorded);
}

void Reader::Arguments(const Json &value, const std::string &pointer, const Shape &shape,
                       HostCall &call) const {
    const Json &arguments = Member(value, pointer, "arguments");
    if (!arguments.is_array() || arguments.size() != 2) {
        Expected(pointer + "/arguments", "two numbers", arguments);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string place = pointer + "/arguments/" + std::to_string(i);
        // A trace shows unsigned and signed numbers alike as the 32 bits
        // they are.
        const int64_t argument = shape.signedNumbers ? Int32(arguments[i], place)
                                                     : Integer(arguments[i], place, 0, UINT32_MAX,
                                                               "a 32-bit unsigned number");
        call.arguments.push_back(static_cast<int32_t>(static_cast<uint32_t>(argument)));
    }
}

RecordedCall Reader::Call(const Json &value, const std::string &pointer,
                          const std::vector<std::string> &absent) const {
    const Shape shape = ShapeOfCall(value, pointer, absent);
    RecordedCall recorded;
    HostCall &call = recorded.call;
    call.function = shape.name;
    call.version = Word(Member(value, pointer, "version"), pointer + "/version");
    const Json &result = Member(value, pointer, "result");
    call.result = shape.wideResult
                      ? Int32(result, pointer + "/result")
                      : static_cast<int32_t>(Integer(result, pointer + "/result", INT16_MIN,
                                                     INT16_MAX, "a 16-bit signed number"));
    if (shape.keyed) TagAndKeys(value, pointer, call);
    if (shape.loads) Load(value, pointer, recorded);
    if (shape.handsOver) {
        call.hasLength = true;
        call.length = Int32(Member(value, pointer, "length"), pointer + "/length");
        TakeBytes(value, pointer, "handedOver", call.length, "handed over as", recorded);
    }
    if (shape.arguments) Arguments(value, pointer, shape, call);
    return recorded;
}

// A whole recording of this plug-in in the format this program reads, and
// no key besides its own.
void Reader::Heading(const Json &root) const {
    if (!root.is_object()) Expected("/", "a recording (an object)", root);
    if (!root.contains("format")) {
        Fail("not a recording of the Karvo Indent System plug-in (it names no format)");
    }
    const Json &format = root["format"];
    if (format != recording_text::kFormatName) {
        Fail("not a recording of the Karvo Indent System plug-in (its format is " + Found(format) +
             ")");
    }
    const Json &version = Member(root, "", "formatVersion");
    if (version != recording_text::kFormatVersion) {
        Fail("format version " + Found(version) + ": this program reads format version " +
             std::to_string(recording_text::kFormatVersion) + " only");
    }
    const Json &complete = Member(root, "", "complete");
    if (!complete.is_boolean()) Expected("/complete", "true or false", complete);
    if (!complete.get<bool>()) {
        const Json &why = Member(root, "", "incomplete");
        Fail("incomplete: " + (why.is_string() ? why.get<std::string>() : Found(why)) +
             "; only a whole recording can be replayed or imported");
    }
    OnlyKeys(root, "",
             {"format", "formatVersion", "complete", "module", "interfaceVersion", "hostVersion",
              "menuIndex", "selection", "absentFunctions", "invokeResult", "callsMade", "calls"});
}

void Reader::Selection(const Json &root, Recording &recording) const {
    const auto selection = OptionalBytes(Member(root, "", "selection"), "/selection");
    if (!selection) return;
    if (selection->size() != recording_text::kSelectionBytes) {
        Fail("/selection", "expected the " + std::to_string(recording_text::kSelectionBytes) +
                               " bytes of a selection record, found " +
                               std::to_string(selection->size()));
    }
    recording.selection.emplace();
    std::copy(selection->begin(), selection->end(), recording.selection->begin());
}

std::vector<std::string> Reader::AbsentFunctions(const Json &root) const {
    const Json &absent = Member(root, "", "absentFunctions");
    if (!absent.is_array()) Expected("/absentFunctions", "a list of host functions", absent);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < absent.size(); ++i) {
        const std::string pointer = "/absentFunctions/" + std::to_string(i);
        if (!absent[i].is_string() || !ShapeOf(absent[i].get<std::string>())) {
            Expected(pointer, "the name of a host function", absent[i]);
        }
        const std::string &name = absent[i].get<std::string>();
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            Fail(pointer, name + " is listed twice");
        }
        names.push_back(name);
    }
    return names;
}

void Reader::Calls(const Json &root, Recording &recording) const {
    const Json &calls = Member(root, "", "calls");
    if (!calls.is_array()) Expected("/calls", "a list of host calls", calls);
    const int64_t made = Integer(Member(root, "", "callsMade"), "/callsMade", 0, INT64_MAX,
                                 "the number of calls made");
    if (static_cast<uint64_t>(made) != calls.size()) {
        Fail("/calls", "holds " + std::to_string(calls.size()) + " calls, but " +
                           std::to_string(made) + " were made");
    }
    recording.calls.reserve(calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        recording.calls.push_back(
            Call(calls[i], "/calls/" + std::to_string(i), recording.absentFunctions));
    }
}

Recording Reader::Whole(const Json &root) const {
    Heading(root);
    Recording recording;
    const Json &module = Member(root, "", "module");
    if (!module.is_string()) Expected("/module", "the module's version as text", module);
    recording.module = module.get<std::string>();
    recording.interfaceVersion = Word(Member(root, "", "interfaceVersion"), "/interfaceVersion");
    recording.hostVersion = Word(Member(root, "", "hostVersion"), "/hostVersion");
    recording.menuIndex = static_cast<uint16_t>(Integer(Member(root, "", "menuIndex"), "/menuIndex",
                                                        0, 0xFFFF, "a menu index (0 to 65535)"));
    Selection(root, recording);
    recording.absentFunctions = AbsentFunctions(root);
    recording.invokeResult =
        static_cast<uint32_t>(Integer(Member(root, "", "invokeResult"), "/invokeResult", 0,
                                      UINT32_MAX, "a 32-bit unsigned number"));
    Calls(root, recording);
    return recording;
}

// Reads a parsed recording's text again, as a stream of the parser's
// events, to refuse a key given twice in one object: which of the two a
// reader takes is anyone's guess, so the recording cannot be trusted. (The
// parse itself keeps the last silently.)
class KeyWatch {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    explicit KeyWatch(const Reader &reader) : reader_(reader) {}

    bool null() { return ElementDone(); }
    bool boolean(bool) { return ElementDone(); }
    bool number_integer(number_integer_t) { return ElementDone(); }
    bool number_unsigned(number_unsigned_t) { return ElementDone(); }
    bool number_float(number_float_t, const string_t &) { return ElementDone(); }
    bool string(string_t &) { return ElementDone(); }
    bool binary(binary_t &) { return ElementDone(); }
    bool start_object(std::size_t) { return Open(false); }
    bool start_array(std::size_t) { return Open(true); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(string_t &key) {
        Key(key);
        return true;
    }
    // The text has been parsed whole before: never called.
    bool parse_error(std::size_t, const std::string &, const nlohmann::detail::exception &) {
        return false;
    }

private:
    struct Frame {
        bool array;
        std::size_t index = 0;  // of the element being read
        std::string key = {};   // of the member being read
        std::set<std::string> keys = {};
    };

    bool Open(bool array) {
        frames_.push_back({array});
        return true;
    }

    bool Close() {
        frames_.pop_back();
        return ElementDone();
    }

    void Key(const std::string &key) {
        Frame &object = frames_.back();
        object.key = key;
        if (!object.keys.insert(key).second) {
            reader_.Fail(Pointer(), "given twice in one object; keep one of them");
        }
    }

    bool ElementDone() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
        return true;
    }

    std::string Pointer() const {
        Json::json_pointer pointer;
        for (const Frame &frame : frames_) {
            if (frame.array) {
                pointer /= frame.index;
            } else {
                pointer /= frame.key;
            }
        }
        return pointer.to_string();
    }

    const Reader &reader_;
    std::vector<Frame> frames_;
};

}  // namespace

Recording ParseRecording(const std::string &text, const std::string &fileName) {
    const Reader reader(fileName);
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error &error) {
        // The parser stops past the last byte when the text ends too soon.
        if (error.byte > text.size()) {
            reader.Fail("truncated: the text ends after " + std::to_string(text.size()) +
                        " bytes, before the recording does");
        }
        reader.Fail("not a recording: not valid JSON at byte " + std::to_string(error.byte));
    } catch (const Json::exception &error) {
        // A number too large for any: the library's own words, after its tag.
        const std::string what = error.what();
        reader.Fail("not a recording: not valid JSON: " + what.substr(what.find("] ") + 2));
    }
    // A whole recording ends with a line end: without it, a text cut just
    // before it would pass for whole.
    if (text.back() != '\n') {
        reader.Fail("truncated: the text does not end with the line end every recording ends with");
    }
    KeyWatch watch(reader);
    Json::sax_parse(text, &watch);
    return reader.Whole(root);
}

Recording ReadRecordingFile(const std::string &path) {
    std::string text;
    try {
        text = ReadRegularFile(path, recording_text::kMostRecordingBytes);
    } catch (const FileError &error) {
        throw RecordingError(error.what());
    }
    return ParseRecording(text, path);
}

std::string AskedText(const HostCall &call) {
    const std::string line = call.ToString();
    return line.substr(0, line.rfind(" -> "));
}

}  // namespace standin
