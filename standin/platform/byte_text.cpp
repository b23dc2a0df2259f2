#include "standin/platform/byte_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "standin/platform/errors.h"

namespace standin {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// What separates bytes: white space as the C locale has it.
constexpr const char *kSpaces = " \t\n\v\f\r";
constexpr const char *kExpected = "expected two hex digits per byte, separated by spaces";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

bool Visible(char c) { return c > ' ' && c < 0x7F; }

// The character that starts at text[at], read as UTF-8: "U+00A0"; a byte
// that starts no character: "byte 0xA0".
std::string CharacterName(const std::string &text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    unsigned point = length == 1 ? lead : lead & (0x7Fu >> length);
    bool whole = !(lead >= 0x80 && lead < 0xC0) && lead < 0xF8;
    for (std::size_t i = 1; i < length; ++i) {
        whole = whole && (byte(at + i) & 0xC0) == 0x80;
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    char name[24];
    std::snprintf(name, sizeof name, whole ? "U+%04X" : "byte 0x%02X", whole ? point : lead);
    return name;
}

}  // namespace

ByteText ParseByteText(const std::string &text) {
    ByteText parsed;
    for (std::size_t start = text.find_first_not_of(kSpaces); start != std::string::npos;
         start = text.find_first_not_of(kSpaces, start)) {
        const std::size_t end = std::min(text.find_first_of(kSpaces, start), text.size());
        const std::string token = text.substr(start, end - start);
        start = end;
        if (token == "..") {
            parsed.bytes.push_back(0);
            parsed.named.push_back(true);
            continue;
        }
        const int high = token.size() == 2 ? HexValue(token[0]) : -1;
        const int low = token.size() == 2 ? HexValue(token[1]) : -1;
        if (high >= 0 && low >= 0) {
            parsed.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
            parsed.named.push_back(false);
            continue;
        }
        const std::string byte = "byte " + std::to_string(parsed.bytes.size());
        const auto unseen = std::find_if_not(token.begin(), token.end(), Visible);
        // A character one cannot see, such as a no-break space, is named
        // rather than shown.
        parsed.error =
            unseen == token.end()
                ? byte + " is '" + token + "'; " + kExpected
                : byte + " holds " +
                      CharacterName(token, static_cast<std::size_t>(unseen - token.begin())) +
                      ", which is neither a hex digit nor a space, tab or line "
                      "break; " +
                      kExpected;
        return parsed;
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

uint32_t ParseWord(const std::string &text, const char *what) {
    const bool digitsOnly = !text.empty() && text[0] != '-' && text[0] != '+' && text[0] != ' ';
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (!digitsOnly || errno != 0 || end == text.c_str() || *end != '\0' || value > 0xFFFFFFFFull) {
        throw UsageError(std::string(what) + " '" + text +
                         "' is not a 32-bit number (decimal, or hexadecimal with 0x)");
    }
    return static_cast<uint32_t>(value);
}

}  // namespace standin
