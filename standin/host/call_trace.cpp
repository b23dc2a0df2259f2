#include "standin/host/call_trace.h"

#include <algorithm>

#include "interface/data_tag.h"
#include "standin/platform/byte_text.h"

namespace standin {
namespace {

std::string KeyText(int16_t item, int16_t inci) {
    return "(" + std::to_string(item) + "," + std::to_string(inci) + ")";
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

std::string ChangedBytes(const Bytes &before, const Bytes &after) {
    const std::size_t length = std::max(before.size(), after.size());
    const auto differs = [&](std::size_t i) {
        return i >= before.size() || i >= after.size() || before[i] != after[i];
    };
    const auto bytes = [](const Bytes &record, std::size_t from, std::size_t to) {
        if (from >= record.size()) return std::string("none");
        return FormatByteText(
            Bytes(record.begin() + from, record.begin() + std::min(to, record.size())));
    };
    std::string text;
    for (std::size_t start = 0; start < length; ++start) {
        if (!differs(start)) continue;
        std::size_t end = start + 1;
        while (end < length && differs(end)) ++end;
        text += (text.empty() ? "" : "; ") +
                (end - start > 1 ? "bytes " + std::to_string(start) + "-" + std::to_string(end - 1)
                                 : "byte " + std::to_string(start)) +
                ": " + bytes(before, start, end) + " -> " + bytes(after, start, end);
        start = end;
    }
    return text.empty() ? "no byte changed" : text;
}

std::string TraceHeader() {
    return "# function 'tag' (item,inci)[->(item,inci) the call moved the key to]\n"
           "#   room: bytes the caller offered to load into; length: bytes it handed over\n"
           "#   v=: the data version the caller asked in; -> the host's answer (0: failed)\n"
           "#   size: the bytes the record holds; under a save: the bytes it changed\n";
}

std::string TraceLines(const HostCall &call) {
    std::string text = call.ToString() + "\n";
    if (call.replaced && call.result != 0)
        text += "    " + ChangedBytes(call.earlier, call.data) + "\n";
    return text;
}

std::string TraceText(const std::vector<HostCall> &trace) {
    std::string text = TraceHeader();
    for (const HostCall &call : trace) text += TraceLines(call);
    return text;
}

}  // namespace standin
