// The host program's `menu` command: the handshake, then the menu entries
// the plug-in registers, in both record forms.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>

#include "standin/plugin.h"

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

}  // namespace standin
