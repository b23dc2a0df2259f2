#include "hostdata/host_version.h"

namespace hostdata {

namespace detail {
uint32_t reportedHostVersion = kFrameworkDataVersion;
}  // namespace detail

namespace {
bool reported = false;
}  // namespace

bool HostReportedVersion() { return reported; }

void SetHostVersion(uint32_t version) {
    detail::reportedHostVersion = version;
    reported = true;
}

void ForgetHostVersion() {
    detail::reportedHostVersion = kFrameworkDataVersion;
    reported = false;
}

}  // namespace hostdata
