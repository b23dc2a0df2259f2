#include "tests/support/host_test.h"

#include "hostdata/host_binding.h"
#include "hostdata/host_version.h"

HostTest::HostTest() {
    UseHost({});
    hostdata::ForgetHostVersion();
    standin::Host::SetCurrent(&host);
}

HostTest::~HostTest() { standin::Host::SetCurrent(nullptr); }

void HostTest::UseHost(fake_platform::Setup setup) {
    hostdata::ForgetHostBinding();
    fake_platform::Reset(std::move(setup));
}

std::vector<std::string> HostTest::Calls() const {
    std::vector<std::string> lines;
    for (const auto &call : host.Trace()) lines.push_back(call.ToString());
    return lines;
}
