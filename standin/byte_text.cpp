#include "standin/byte_text.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace standin {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

}  // namespace

ByteText ParseByteText(const std::string &text) {
    ByteText parsed;
    std::istringstream tokens(text);
    std::string token;
    while (tokens >> token) {
        if (token == "..") {
            parsed.bytes.push_back(0);
            parsed.named.push_back(true);
            continue;
        }
        const int high = token.size() == 2 ? HexValue(token[0]) : -1;
        const int low = token.size() == 2 ? HexValue(token[1]) : -1;
        if (high < 0 || low < 0) {
            parsed.error = "byte " + std::to_string(parsed.bytes.size()) + " is '" + token +
                           "'; expected two hex digits per byte, separated by spaces";
            return parsed;
        }
        parsed.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        parsed.named.push_back(false);
    }
    return parsed;
}

std::string FormatByteText(const Bytes &bytes, const std::vector<bool> &named) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) text += ' ';
        if (i < named.size() && named[i]) {
            text += "..";
        } else {
            text += kHexDigits[bytes[i] >> 4];
            text += kHexDigits[bytes[i] & 0xF];
        }
    }
    return text;
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace standin
