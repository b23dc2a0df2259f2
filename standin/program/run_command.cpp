#include "standin/program/run_command.h"

#include "interface/data_tag.h"
#include "interface/host_version_words.h"
#include "interface/record_bytes.h"
#include "standin/document/document_fields.h"
#include "standin/platform/byte_text.h"

namespace standin {
namespace {

// The host's 8-bit menu record, with room past its end as a host has.
constexpr std::size_t kMenuRecordBytes = FINALE_MENU_RECORD_FLAG_OFFSET + 4 + 16;
constexpr std::size_t kMenuTextOffset = 2 * FINALE_MENU_RECORD_TEXT_BYTES;

bool ParseMeasureNumber(const std::string &text, int16_t &number) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long value = std::stoul(text);
    if (value > 32767) return false;
    number = static_cast<int16_t>(value);
    return true;
}

std::optional<std::string> MenuText(Plugin &plugin, uint16_t index) {
    std::vector<uint8_t> record(kMenuRecordBytes, 0);
    if (plugin.enumerate(nullptr, index, record.data()) == 0) return std::nullopt;
    const char *text = reinterpret_cast<const char *>(record.data() + kMenuTextOffset);
    std::size_t length = 0;
    while (length < FINALE_MENU_RECORD_TEXT_BYTES && text[length] != '\0') ++length;
    return std::string(text, length);
}

// The index whose registered menu text is `text`, asking from 0 on as the
// host does, until an index is not offered.
uint16_t IndexOfMenuText(Plugin &plugin, const std::string &text) {
    std::string offered;
    for (uint16_t index = 0;; ++index) {
        const auto menuText = MenuText(plugin, index);
        if (!menuText) break;
        if (*menuText == text) return index;
        offered += (offered.empty() ? "\"" : ", \"") + *menuText + "\"";
        if (index == 0xFFFF) break;
    }
    throw UsageError("the module registers no menu command \"" + text +
                     "\" (it registers: " + (offered.empty() ? "none" : offered) + ")");
}

// A menu index is a number, decimal or 0x-hexadecimal; anything else is a
// menu text.
bool IsNumber(const std::string &command) {
    const bool hex = command.size() > 2 && command[0] == '0' && (command[1] | 0x20) == 'x';
    const std::string digits = hex ? command.substr(2) : command;
    return !digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF"
                                                           : "0123456789") == std::string::npos;
}

uint16_t MenuIndex(Plugin &plugin, const std::string &command) {
    if (!IsNumber(command)) return IndexOfMenuText(plugin, command);
    const uint32_t index = ParseWord(command, "menu index");
    if (index > 0xFFFF) throw UsageError("menu index '" + command + "' is not a 16-bit number");
    return static_cast<uint16_t>(index);
}

bool IsStaffSystem(const RecordKey &key, const Bytes &bytes) {
    return key.tag == hostdata::kStaffSystemTag && key.inci == 0 &&
           bytes.size() == fields::kSystemSize;
}

SystemChange Compare(int16_t item, const Bytes &before, const Bytes &after) {
    SystemChange change;
    change.item = item;
    change.firstMeasureBefore = hostdata::ReadI16(before.data(), fields::kSystemFirstMeasure);
    change.firstMeasureAfter = hostdata::ReadI16(after.data(), fields::kSystemFirstMeasure);
    change.indentBefore = hostdata::ReadI16(before.data(), fields::kSystemLeftIndent);
    change.indentAfter = hostdata::ReadI16(after.data(), fields::kSystemLeftIndent);
    for (std::size_t i = 0; i < fields::kSystemSize; ++i) {
        const bool named =
            i / 2 == fields::kSystemLeftIndent / 2 || i / 2 == fields::kSystemFirstMeasure / 2;
        change.otherBytesChanged = change.otherBytesChanged || (!named && before[i] != after[i]);
    }
    return change;
}

void CompareStores(const RecordStore &before, const RecordStore &after, RunResult &result) {
    for (const auto &[key, bytes] : before.All()) {
        const Bytes *now = after.Find(key);
        if (now != nullptr && IsStaffSystem(key, bytes) && IsStaffSystem(key, *now)) {
            result.systems.push_back(Compare(key.item, bytes, *now));
        } else if (now == nullptr || *now != bytes) {
            result.otherRecordsChanged.push_back(key);
        }
    }
    for (const auto &[key, bytes] : after.All()) {
        if (before.Find(key) == nullptr) result.otherRecordsChanged.push_back(key);
    }
}

}  // namespace

MeasureRange ParseMeasureRange(const std::string &text) {
    MeasureRange range;
    const auto dash = text.find('-');
    const bool parsed =
        dash == std::string::npos
            ? ParseMeasureNumber(text, range.first) && ParseMeasureNumber(text, range.last)
            : ParseMeasureNumber(text.substr(0, dash), range.first) &&
                  ParseMeasureNumber(text.substr(dash + 1), range.last);
    if (!parsed) {
        throw UsageError("measures '" + text +
                         "' is not a measure range (expected FIRST-LAST or one measure number, "
                         "each 0 to 32767)");
    }
    return range;
}

std::array<uint8_t, kSelectionRecordSize> SelectionRecord(const MeasureRange &range) {
    constexpr uint16_t kFirstSlot = 1;
    std::array<uint8_t, kSelectionRecordSize> record{};
    for (std::size_t point : {0u, 10u}) {                 // the start point, then the end point
        hostdata::WriteU16(record.data(), point + 0, 0);  // slot context
        hostdata::WriteU16(record.data(), point + 2, kFirstSlot);
        hostdata::WriteU16(record.data(), point + 4,
                           static_cast<uint16_t>(point == 0 ? range.first : range.last));
        hostdata::WriteU32(record.data(), point + 6, 0);  // position: the measure's start
    }
    return record;
}

RunResult RunMenuCommand(Plugin &plugin, Host &host, const RunOptions &options) {
    RunResult result;
    result.hostVersion = options.hostVersion;
    result.interfaceVersion = plugin.version(options.hostVersion);
    uint32_t initWord = 0;
    plugin.init(nullptr, &initWord);
    result.menuIndex = MenuIndex(plugin, options.command);
    result.menuText = MenuText(plugin, result.menuIndex);
    result.measures = options.measures;
    if (!result.menuText && options.warn) {
        options.warn("the module does not offer menu index " + std::to_string(result.menuIndex) +
                     " at host version " + Hex32(options.hostVersion) +
                     ", so no real host would invoke it; invoking it all the same");
    }

    const RecordStore before = host.Records();
    if (options.measures) {
        const auto selection = SelectionRecord(*options.measures);
        result.invokeAnswer = plugin.invoke(nullptr, result.menuIndex, selection.data());
    } else {
        result.invokeAnswer = plugin.invoke(nullptr, result.menuIndex, nullptr);
    }
    plugin.terminate();
    CompareStores(before, host.Records(), result);
    IndentRule rule;
    rule.command = InvokedCommand(result.menuIndex);
    rule.fullNamesKnown = options.hostVersion >= hostdata::kFullNamesHostVersion;
    rule.selection = options.measures;
    // The low 16 bits of the current part are 0 for the score.
    rule.partViewed = (host.CurrentPart() & 0xFFFF) != 0;
    ExplainIndents(before, rule, result.systems);
    return result;
}

std::string SelectionText(const std::optional<MeasureRange> &measures) {
    if (!measures) return "no selection";
    return "measures " + std::to_string(measures->first) + " to " + std::to_string(measures->last);
}

std::string RunCaption(const RunResult &result) {
    const std::string command =
        result.menuText ? *result.menuText : "menu index " + std::to_string(result.menuIndex);
    return command + ", " + SelectionText(result.measures);
}

}  // namespace standin
