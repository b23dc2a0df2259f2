#include "standin/call_trace.h"

#include <cstdio>

#include "hostdata/data_tag.h"

namespace standin {
namespace {

std::string KeyText(int16_t item, int16_t inci) {
    return "(" + std::to_string(item) + "," + std::to_string(inci) + ")";
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::string HostCall::ToString() const {
    std::string line = function;
    if (tag != 0) line += " '" + hostdata::TagText(tag) + "'";
    if (hasKey) {
        line += " " + KeyText(itemIn, inciIn);
        if (itemOut != itemIn || inciOut != inciIn) line += "->" + KeyText(itemOut, inciOut);
    }
    if (hasSize) line += " room " + std::to_string(sizeIn);
    if (hasLength) line += " length " + std::to_string(length);
    for (const int32_t argument : arguments) line += " " + std::to_string(argument);
    line += " v=" + Hex32(version) + " -> " + std::to_string(result);
    if (hasSize && result != 0) line += " size " + std::to_string(sizeOut);
    return line;
}

std::string TraceText(const std::vector<HostCall> &trace) {
    std::string text;
    for (const HostCall &call : trace) text += call.ToString() + "\n";
    return text;
}

}  // namespace standin
