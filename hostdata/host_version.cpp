#include "hostdata/host_version.h"

namespace hostdata {
namespace {
uint32_t hostVersion = kFrameworkDataVersion;
bool reported = false;
}  // namespace

uint32_t HostVersion() { return hostVersion; }

bool HostReportedVersion() { return reported; }

void RecordHostVersion(uint32_t version) {
    hostVersion = version;
    reported = true;
}

void ForgetHostVersion() {
    hostVersion = kFrameworkDataVersion;
    reported = false;
}

}  // namespace hostdata
