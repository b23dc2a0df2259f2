#include "standin/program/recording_replay.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>

#include "interface/recording/recording_format.h"
#include "karvo_version.h"
#include "standin/document/record_fields.h"
#include "standin/host/plugin.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/file_access.h"

namespace standin {
namespace {

constexpr std::size_t kBytesPerRow = 8;
// Records longer than this show only the rows that differ.
constexpr std::size_t kRowsShownWhole = 8;

HostCall Asked(const char *function, uint32_t version) {
    HostCall call;
    call.function = function;
    call.version = version;
    return call;
}

void AskedKey(HostCall &call, uint32_t tag, const FxDataKey *key) {
    call.tag = tag;
    call.hasKey = key != nullptr;
    if (key != nullptr) {
        call.itemIn = call.itemOut = key->item;
        call.inciIn = call.inciOut = key->inci;
    }
}

bool SameArguments(const HostCall &a, const HostCall &b) {
    return a.function == b.function && a.tag == b.tag && a.hasKey == b.hasKey &&
           a.itemIn == b.itemIn && a.inciIn == b.inciIn && a.hasSize == b.hasSize &&
           a.sizeIn == b.sizeIn && a.hasLength == b.hasLength && a.length == b.length &&
           a.arguments == b.arguments && a.version == b.version;
}

std::string Row(const Bytes &bytes, std::size_t from) {
    if (from >= bytes.size()) return std::string(3 * kBytesPerRow - 1, ' ');
    const std::size_t to = std::min(bytes.size(), from + kBytesPerRow);
    std::string text = FormatByteText(Bytes(bytes.begin() + from, bytes.begin() + to));
    return text + std::string(3 * kBytesPerRow - 1 - text.size(), ' ');
}

// The bytes handed over, expected and got side by side, eight to a row;
// "<-" marks a row that differs.
std::string SideBySide(const Bytes &expected, const Bytes &got) {
    const std::size_t length = std::max(expected.size(), got.size());
    const std::size_t rows = (length + kBytesPerRow - 1) / kBytesPerRow;
    std::string text = "  bytes handed over, expected | got:\n";
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t from = row * kBytesPerRow;
        const auto slice = [from](const Bytes &bytes) {
            return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())),
                         bytes.begin() + static_cast<std::ptrdiff_t>(
                                             std::min(from + kBytesPerRow, bytes.size())));
        };
        const bool differs = slice(expected) != slice(got);
        if (!differs && rows > kRowsShownWhole) continue;
        std::string offset = std::to_string(from);
        text += "  " + std::string(6 - std::min<std::size_t>(offset.size(), 6), ' ') + offset +
                "  " + Row(expected, from) + " | " + Row(got, from) + (differs ? "  <-" : "") +
                "\n";
    }
    return text;
}

// The version a module of this project writes into its recordings, found
// where the module holds it: in the text it writes a recording's head with,
// which follows "module" there. None for a module that records no version.
std::optional<std::string> RecordedVersionOf(const std::string &modulePath) {
    constexpr std::size_t kLargestModule = std::size_t{256} << 20;
    constexpr std::size_t kLongestVersion = 32;
    const std::string marker = hostdata::recording_text::kModuleLineStart;
    std::string module;
    try {
        module = ReadRegularFile(modulePath, kLargestModule);
    } catch (const FileError &) {
        return std::nullopt;
    }
    const auto at = module.find(marker);
    if (at == std::string::npos) return std::nullopt;
    const auto start = at + marker.size();
    const auto end = module.find('"', start);
    if (end == std::string::npos || end == start || end - start > kLongestVersion) {
        return std::nullopt;
    }
    const std::string version = module.substr(start, end - start);
    if (version.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    return version;
}

// A line when the recording was made by another version than the one that
// replays it, the module's or this program's; empty when all are one.
std::string VersionNote(const Recording &recording, const std::string &modulePath) {
    const std::optional<std::string> module = RecordedVersionOf(modulePath);
    if (module == recording.module && recording.module == KARVO_VERSION_DOTTED) return "";
    return "note: the recording was made by module " + recording.module + "; replayed with " +
           (module ? "module " + *module : std::string("a module of no known version")) +
           " in FINALE.EXE " + KARVO_VERSION_DOTTED + "\n";
}

}  // namespace

const RecordedCall *ScriptedHost::Expect(const HostCall &made, bool bytesGiven) {
    ++made_;
    if (!difference_.empty()) return nullptr;
    const std::size_t count = recording_.calls.size();
    const std::string position =
        "call " + std::to_string(next_ + 1) + " of " + std::to_string(count);
    if (next_ == count) {
        difference_ = "differs at call " + std::to_string(count + 1) + ": the recording holds " +
                      std::to_string(count) +
                      " calls, and the module made more\n  got:      " + AskedText(made) + "\n";
        return nullptr;
    }
    const RecordedCall &expected = recording_.calls[next_];
    const bool handsOver = made.hasLength;
    const bool same = SameArguments(expected.call, made) && expected.bytesKnown == bytesGiven &&
                      (!handsOver || expected.call.data == made.data);
    if (same) {
        ++next_;
        return &expected;
    }
    HostCall asked = expected.call;
    asked.itemOut = asked.itemIn;
    asked.inciOut = asked.inciIn;
    difference_ = "differs at " + position + ":\n  expected: " + AskedText(asked) +
                  "\n  got:      " + AskedText(made) + "\n";
    // The lines look the same when only the buffer differs.
    if (SameArguments(expected.call, made) && expected.bytesKnown != bytesGiven) {
        difference_ += std::string("  the module gave ") + (bytesGiven ? "a" : "no") +
                       " buffer where the recording shows " +
                       (expected.bytesKnown ? "one" : "none") + "\n";
    }
    if (handsOver && expected.call.data != made.data) {
        difference_ += SideBySide(expected.call.data, made.data);
        const std::vector<std::string> fields = NamedFieldChanges(
            {made.tag, made.itemIn, made.inciIn}, made.version, expected.call.data, made.data);
        if (!fields.empty()) difference_ += "  fields that differ, expected -> got:\n";
        for (const std::string &field : fields) difference_ += "    " + field + "\n";
    }
    const auto &absent = recording_.absentFunctions;
    if (std::find(absent.begin(), absent.end(), made.function) != absent.end()) {
        difference_ += "  the recorded host lacked " + made.function +
                       ", which this host program has: replay with one that lacks it too\n";
    }
    return nullptr;
}

template <hostdata::HostFunction function, typename Result, typename... Parameters>
Result ScriptedHost::Answer(Parameters... arguments) {
    using hostdata::CallShape;
    constexpr CallShape shape = hostdata::FactsOf(function).shape;
    const auto given = std::tie(arguments...);
    HostCall made = Asked(hostdata::NameOf(function), std::get<sizeof...(Parameters) - 1>(given));
    FxDataKey *key = nullptr;
    if constexpr (hostdata::IsKeyed(shape)) {
        key = std::get<1>(given);
        AskedKey(made, std::get<0>(given), key);
    }
    bool bytesGiven = false;
    if constexpr (shape == CallShape::FillsBuffer) {
        const int32_t *size = std::get<3>(given);
        made.hasSize = size != nullptr;
        if (size != nullptr) made.sizeIn = *size;
        // Bytes are recorded for a load only where both the buffer and its room are known.
        bytesGiven = std::get<2>(given) != nullptr && size != nullptr;
    }
    if constexpr (shape == CallShape::TakesBuffer) {
        const void *handedOver = std::get<2>(given);
        const int32_t length = std::get<3>(given);
        made.hasLength = true;
        made.length = length;
        if (handedOver != nullptr && length > 0) {
            const auto *bytes = static_cast<const uint8_t *>(handedOver);
            made.data.assign(bytes, bytes + length);
        }
        bytesGiven = handedOver != nullptr;
    }
    if constexpr (shape == CallShape::TwoNumbers) {
        made.arguments = {static_cast<int32_t>(std::get<0>(given)),
                          static_cast<int32_t>(std::get<1>(given))};
    }
    const RecordedCall *expected = Expect(made, bytesGiven);
    if (expected == nullptr) return 0;
    const HostCall &answer = expected->call;
    if (key != nullptr) {
        key->item = answer.itemOut;
        key->inci = answer.inciOut;
    }
    if constexpr (shape == CallShape::FillsBuffer) {
        // The recorded bytes fill exactly the room the module offered again.
        if (expected->bytesKnown && !answer.data.empty()) {
            std::memcpy(std::get<2>(given), answer.data.data(), answer.data.size());
        }
        if (int32_t *size = std::get<3>(given)) *size = answer.sizeOut;
    }
    if constexpr (function == hostdata::HostFunction::SaveEData) ++saves_;
    return static_cast<Result>(answer.result);
}

// A result type as a template argument cannot be parenthesized:
// NOLINTBEGIN(bugprone-macro-parentheses)
#define STANDIN_SCRIPTED_FUNCTION(name, result, parameters, arguments, shape) \
    result ScriptedHost::name parameters {                                    \
        return Answer<hostdata::HostFunction::name, result> arguments;        \
    }
// NOLINTEND(bugprone-macro-parentheses)
FX_HOST_FUNCTIONS(STANDIN_SCRIPTED_FUNCTION)
#undef STANDIN_SCRIPTED_FUNCTION

void ScriptedHost::Finish() {
    const std::size_t count = recording_.calls.size();
    if (!difference_.empty() || next_ == count) return;
    HostCall asked = recording_.calls[next_].call;
    asked.itemOut = asked.itemIn;
    asked.inciOut = asked.inciIn;
    difference_ = "differs at call " + std::to_string(next_ + 1) + " of " + std::to_string(count) +
                  ": the module made only " + std::to_string(next_) +
                  " calls\n  expected: " + AskedText(asked) + "\n  got:      no call\n";
}

int ReplayRecording(const ReplayRequest &request, const Streams &streams) {
    const Recording recording = ReadRecordingFile(request.recording);
    Plugin plugin(request.module);
    ScriptedHost host(recording);
    Host::SetCurrent(&host);
    const uint32_t interfaceVersion = plugin.version(recording.hostVersion);
    uint32_t answer = 0;
    if (interfaceVersion == recording.interfaceVersion) {
        answer = plugin.invoke(nullptr, recording.menuIndex,
                               recording.selection ? recording.selection->data() : nullptr);
        host.Finish();
    }
    Host::SetCurrent(nullptr);

    streams.out << VersionNote(recording, request.module);
    if (interfaceVersion != recording.interfaceVersion) {
        streams.out << "differs at the handshake: expected interface version "
                    << Hex32(recording.interfaceVersion) << ", got " << Hex32(interfaceVersion)
                    << "\n";
        return 1;
    }
    if (!host.Difference().empty()) {
        streams.out << host.Difference();
        return 1;
    }
    if (answer != recording.invokeResult) {
        streams.out << "differs at the end: the invoke answered " << answer << ", the recording "
                    << recording.invokeResult << "\n";
        return 1;
    }
    streams.out << "reproduced: " << host.CallsMade() << " calls, " << host.SavesMade()
                << " saves\n";
    return 0;
}

}  // namespace standin
