// A stand-in host built from fuzz input: random records of any size, chosen
// host calls failing, functions missing, sizes misreported.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "standin/host.h"
#include "tests/support/fake_platform.h"

namespace hostile {

// How the host reports record sizes to a load.
enum class SizeReport : uint8_t { Honest, RoomPlusMore, Negative, Random };

struct HostileHost {
    standin::Host host;
    SizeReport sizeReport = SizeReport::Honest;
    int32_t sizeNoise = 0;
};

// The host that the FX_ functions of this program serve.
HostileHost &Current();

// Fills a fresh host from the input: program name, absent functions,
// current part, staff systems, measures, page format records, failures.
fake_platform::Setup BuildHost(FuzzedDataProvider &input, HostileHost &hostile);

}  // namespace hostile
