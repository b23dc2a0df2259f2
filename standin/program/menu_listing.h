// The host program's `menu` command: the handshake, then the menu entries
// the plug-in registers, in both record forms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "standin/host/plugin.h"

namespace standin {

struct MenuOptions {
    // None skips the handshake, as a host that never reports its version.
    std::optional<uint32_t> hostVersion;
    // Ask for this index only; otherwise ask from 0 until an index is not
    // offered, as the host does.
    std::optional<uint16_t> index;
    // Show the records' raw bytes, prefilled with `fill` before each call,
    // so that what the plug-in wrote and left alone can be seen.
    bool raw = false;
    uint8_t fill = 0xCC;
};

void ListMenu(Plugin &plugin, const MenuOptions &options, std::ostream &out);

// One of the two forms of the host's menu record: three text fields, then
// the entry flag; the bytes from recordBytes on are the host's.
struct MenuRecordForm {
    const char *title;  // "8-bit", "UTF-16"
    std::size_t recordBytes;
    std::size_t fieldBytes;
    std::size_t unitBytes;  // of one code unit
    std::size_t flagOffset;

    std::size_t Units() const { return fieldBytes / unitBytes; }
    // The module's enumeration in this form.
    uint32_t Enumerate(Plugin &plugin, uint16_t index, void *record) const;
};

extern const MenuRecordForm kEightBitMenuRecord;
extern const MenuRecordForm kUtf16MenuRecord;

constexpr std::size_t kMenuFieldCount = 3;  // name, description, menu text

// A text field of a filled record: its code units up to the terminator or
// the field's end, and whether a terminator came first.
struct MenuField {
    std::vector<unsigned> units;
    bool terminated = false;
};
MenuField ReadMenuField(const uint8_t *record, const MenuRecordForm &form, std::size_t field);

}  // namespace standin
