// A test that plays a fresh host: a new stand-in document, bindings
// forgotten, the host version back at its load-time value.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/host.h"
#include "tests/support/fake_platform.h"

class HostTest : public ::testing::Test {
protected:
    HostTest();
    ~HostTest() override;

    // Plays a host that lacks these functions, or runs under another name.
    void UseHost(fake_platform::Setup setup);

    // The host calls made so far, one line each.
    std::vector<std::string> Calls() const;

    standin::Host host;
};
