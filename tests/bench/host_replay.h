// The host's share of a command: the calls the command made, as the host's
// trace recorded them, made again with the same arguments in the same order
// and nothing around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/call_trace.h"

class HostReplay {
public:
    explicit HostReplay(const std::vector<standin::HostCall> &trace);

    // Empty when every call can be made again; otherwise the first that
    // cannot.
    const std::string &Problem() const { return problem_; }
    std::size_t CallCount() const { return calls_.size(); }

    // Calls the host's FX_ functions of the current stand-in host.
    void Run() const;

private:
    enum class Function {
        Load, Save, Create, Delete, Next, SlotToInst, UpdateLayout, CurrentDocument, CurrentPart
    };
    struct Call {
        Function function;
        uint32_t tag;
        uint16_t item, inci;
        int32_t size;  // room offered to a load, length of a save or create
        int32_t first, second;
        uint32_t version;
        std::vector<uint8_t> data;
    };

    std::vector<Call> calls_;
    std::string problem_;
};

// The first difference between two traces, or empty when they are the same
// calls with the same bytes and results.
std::string TraceDifference(const std::vector<standin::HostCall> &expected,
                            const std::vector<standin::HostCall> &actual);
