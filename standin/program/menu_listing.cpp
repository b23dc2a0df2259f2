#include "standin/program/menu_listing.h"

#include <cstdio>
#include <string>
#include <vector>

#include "interface/record_bytes.h"
#include "standin/platform/text_output.h"

namespace standin {
namespace {

// The host's record memory goes on past the record, so that a write past
// its end shows.
constexpr std::size_t kSlackBytes = 16;

// A field as text, non-ASCII shown as \xNN.
std::string FieldText(const MenuField &field) {
    std::string text;
    for (const unsigned unit : field.units) {
        if (unit >= 0x20 && unit < 0x7F) {
            text += static_cast<char>(unit);
        } else {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unit);
            text += escaped;
        }
    }
    return "\"" + text + "\"" + (field.terminated ? "" : " (no terminator)");
}

// Asks for one index; answers whether an entry came back.
bool ShowEntry(Plugin &plugin, const MenuRecordForm &form, uint16_t index,
               const MenuOptions &options, std::ostream &out) {
    std::vector<uint8_t> record(form.recordBytes + kSlackBytes, options.fill);
    const uint32_t answer = form.Enumerate(plugin, index, record.data());
    out << form.title << " record, index " << index << ": " << answer
        << (answer ? "" : " (not offered)") << "\n";
    if (answer != 0) {
        const char *labels[] = {"name:       ", "description:", "menu text:  "};
        for (std::size_t field = 0; field < kMenuFieldCount; ++field) {
            out << "  " << labels[field] << " "
                << FieldText(ReadMenuField(record.data(), form, field)) << "\n";
        }
        out << "  entry flag:  " << hostdata::ReadU32(record.data(), form.flagOffset) << "\n";
    }
    if (options.raw) out << HexDump(record.data(), record.size());
    return answer != 0;
}

void ShowForm(Plugin &plugin, const MenuRecordForm &form, const MenuOptions &options,
              std::ostream &out) {
    if (options.index) {
        ShowEntry(plugin, form, *options.index, options, out);
        return;
    }
    for (uint16_t index = 0; ShowEntry(plugin, form, index, options, out); ++index) {
    }
}

}  // namespace

const MenuRecordForm kEightBitMenuRecord{"8-bit", FINALE_MENU_RECORD_FLAG_OFFSET + 4,
                                         FINALE_MENU_RECORD_TEXT_BYTES, 1,
                                         FINALE_MENU_RECORD_FLAG_OFFSET};
const MenuRecordForm kUtf16MenuRecord{"UTF-16", FINALE_MENU_RECORD_UTF16_FLAG_OFFSET + 4,
                                      2 * FINALE_MENU_RECORD_UTF16_FIELD_UNITS, 2,
                                      FINALE_MENU_RECORD_UTF16_FLAG_OFFSET};

uint32_t MenuRecordForm::Enumerate(Plugin &plugin, uint16_t index, void *record) const {
    const auto enumerate = unitBytes == 1 ? plugin.enumerate : plugin.enumerateUtf16;
    return enumerate(nullptr, index, record);
}

MenuField ReadMenuField(const uint8_t *record, const MenuRecordForm &form, std::size_t field) {
    MenuField read;
    const uint8_t *bytes = record + field * form.fieldBytes;
    for (std::size_t i = 0; i < form.Units() && !read.terminated; ++i) {
        const unsigned unit = form.unitBytes == 1 ? bytes[i] : hostdata::ReadU16(bytes, 2 * i);
        if (unit == 0) {
            read.terminated = true;
        } else {
            read.units.push_back(unit);
        }
    }
    return read;
}

void ListMenu(Plugin &plugin, const MenuOptions &options, std::ostream &out) {
    if (options.hostVersion) {
        const uint32_t interfaceVersion = plugin.version(*options.hostVersion);
        out << "handshake: host version " << Hex32(*options.hostVersion) << ", interface version "
            << Hex32(interfaceVersion) << "\n";
    } else {
        out << "handshake: none\n";
    }
    uint32_t initWord = 0x10;
    const uint32_t initAnswer = plugin.init(nullptr, &initWord);
    out << "init: " << initAnswer << ", word 0x00000010 -> " << Hex32(initWord) << "\n";
    out << "menu status: " << plugin.menuStatus() << "\n";
    ShowForm(plugin, kEightBitMenuRecord, options, out);
    ShowForm(plugin, kUtf16MenuRecord, options, out);
    plugin.terminate();
}

}  // namespace standin
