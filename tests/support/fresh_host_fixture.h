// The fixture of every test that plays a fresh host: a new stand-in document, bindings
// forgotten, the host version back at its load-time value.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hostdata/field_map.h"
#include "standin/host/host.h"
#include "tests/support/fake_platform.h"

class HostTest : public ::testing::Test {
protected:
    HostTest();
    ~HostTest() override;

    // Plays a host that lacks these functions, or runs under another name.
    void UseHost(fake_platform::Setup setup);

    // The host calls made so far, one line each; those whose line begins
    // with the text given (a function's name, perhaps with more).
    std::vector<std::string> Calls() const;
    std::vector<std::string> CallsOf(const std::string &beginning) const;

    // An other record ('ot' c1 c2) of six words, under item -2 (every other
    // record's item on the wire) unless another is given, and one word of it.
    void PutOther(char c1, char c2, int16_t inci, std::array<uint16_t, 6> words, int16_t item = -2);
    uint16_t OtherWord(char c1, char c2, int16_t inci, int k) const;

    // Every other record the map's rows read that the host lacks; how many
    // were put. Their words are 0, which every conversion carries through
    // unchanged, or, when distinct, word k of the n-th record holds
    // n * 16 + k + 1, so that a word taken from the wrong place shows.
    int PutRecordsOf(hostdata::FieldMap map, bool distinctWords = false);

    standin::Host host;
};
