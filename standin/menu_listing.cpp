#include "standin/menu_listing.h"

#include <string>
#include <vector>

#include "hostdata/record_bytes.h"
#include "standin/text_output.h"

namespace standin {
namespace {

// The host's record memory, larger than the plug-in may write, so that a
// write past the end shows.
constexpr std::size_t kEightBitRecordBytes = FINALE_MENU_RECORD_FLAG_OFFSET + 4;
constexpr std::size_t kUtf16RecordBytes = FINALE_MENU_RECORD_UTF16_FLAG_OFFSET + 4;
constexpr std::size_t kSlackBytes = 16;

// A text field up to its terminator or its end, non-ASCII shown as \xNN.
std::string FieldText(const uint8_t *field, std::size_t units, std::size_t unitBytes) {
    std::string text;
    std::size_t i = 0;
    for (; i < units; ++i) {
        const unsigned unit = unitBytes == 1 ? field[i] : hostdata::ReadU16(field, 2 * i);
        if (unit == 0) break;
        if (unit >= 0x20 && unit < 0x7F) {
            text += static_cast<char>(unit);
        } else {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unit);
            text += escaped;
        }
    }
    return "\"" + text + "\"" + (i == units ? " (no terminator)" : "");
}

struct RecordForm {
    const char *title;
    std::size_t recordBytes;
    std::size_t fieldBytes;
    std::size_t unitBytes;
    std::size_t flagOffset;
};

constexpr RecordForm kEightBit{"8-bit", kEightBitRecordBytes, FINALE_MENU_RECORD_TEXT_BYTES, 1,
                               FINALE_MENU_RECORD_FLAG_OFFSET};
constexpr RecordForm kUtf16{"UTF-16", kUtf16RecordBytes,
                            2 * FINALE_MENU_RECORD_UTF16_FIELD_UNITS, 2,
                            FINALE_MENU_RECORD_UTF16_FLAG_OFFSET};

// Asks for one index; answers whether an entry came back.
bool ShowEntry(Plugin &plugin, const RecordForm &form, uint16_t index,
               const MenuOptions &options, std::ostream &out) {
    std::vector<uint8_t> record(form.recordBytes + kSlackBytes, options.fill);
    const auto enumerate = form.unitBytes == 1 ? plugin.enumerate : plugin.enumerateUtf16;
    const uint32_t answer = enumerate(nullptr, index, record.data());
    out << form.title << " record, index " << index << ": " << answer
        << (answer ? "" : " (not offered)") << "\n";
    if (answer != 0) {
        const std::size_t units = form.fieldBytes / form.unitBytes;
        const char *labels[] = {"name:       ", "description:", "menu text:  "};
        for (std::size_t field = 0; field < 3; ++field) {
            out << "  " << labels[field] << " "
                << FieldText(record.data() + field * form.fieldBytes, units, form.unitBytes)
                << "\n";
        }
        out << "  entry flag:  " << hostdata::ReadU32(record.data(), form.flagOffset) << "\n";
    }
    if (options.raw) out << HexDump(record.data(), record.size());
    return answer != 0;
}

void ShowForm(Plugin &plugin, const RecordForm &form, const MenuOptions &options,
              std::ostream &out) {
    if (options.index) {
        ShowEntry(plugin, form, *options.index, options, out);
        return;
    }
    for (uint16_t index = 0; ShowEntry(plugin, form, index, options, out); ++index) {
    }
}

}  // namespace

void ListMenu(Plugin &plugin, const MenuOptions &options, std::ostream &out) {
    if (options.hostVersion) {
        const uint32_t interfaceVersion = plugin.version(*options.hostVersion);
        out << "handshake: host version " << Hex32(*options.hostVersion)
            << ", interface version " << Hex32(interfaceVersion) << "\n";
    } else {
        out << "handshake: none\n";
    }
    uint32_t initWord = 0x10;
    const uint32_t initAnswer = plugin.init(nullptr, &initWord);
    out << "init: " << initAnswer << ", word 0x00000010 -> " << Hex32(initWord) << "\n";
    out << "menu status: " << plugin.menuStatus() << "\n";
    ShowForm(plugin, kEightBit, options, out);
    ShowForm(plugin, kUtf16, options, out);
    plugin.terminate();
}

}  // namespace standin
