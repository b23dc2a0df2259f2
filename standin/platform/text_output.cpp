#include "standin/platform/text_output.h"

#include <cstdio>

namespace standin {

std::string HexDump(const uint8_t *bytes, std::size_t count) {
    std::string text;
    char cell[24];
    for (std::size_t row = 0; row < count; row += 16) {
        std::snprintf(cell, sizeof cell, "%04zx:", row);
        text += cell;
        for (std::size_t i = row; i < row + 16 && i < count; ++i) {
            std::snprintf(cell, sizeof cell, " %02x", bytes[i]);
            text += cell;
        }
        text += "\n";
    }
    return text;
}

std::string Printable(const std::string &text) {
    std::string shown;
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        unsigned control = 0x100;  // none
        if (c < 0x20 || c == 0x7F) control = c;
        // U+0080 to U+009F, two bytes in UTF-8.
        if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            control = next;
            ++i;
        }
        if (control == 0x100) {
            shown += static_cast<char>(c);
            continue;
        }
        std::snprintf(escape, sizeof escape, "\\u%04X", control);
        shown += escape;
    }
    return shown;
}

}  // namespace standin
