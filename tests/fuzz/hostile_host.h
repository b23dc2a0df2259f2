// A stand-in host built from fuzz input: random records of any size, chosen
// host calls failing, functions missing, sizes misreported, and the answers
// of calls drawn one by one (free_host.h).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "tests/fuzz/free_host.h"
#include "tests/support/fake_platform.h"

namespace hostile {

// How the host reports record sizes to a load.
enum class SizeReport : uint8_t { Honest, RoomPlusMore, Negative, Random };

struct HostileHost {
    FreeHost host;
    SizeReport sizeReport = SizeReport::Honest;
};

// Fills a fresh host from the input and makes it the one the FX_ functions
// serve: program name, absent functions, current part, staff systems,
// measures, page format records, failures, how it reports sizes.
fake_platform::Setup BuildHost(FuzzedDataProvider &input, HostileHost &hostile);

}  // namespace hostile
