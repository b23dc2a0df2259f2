// The host's functions as C++ sees them, made from the table in
// fx_host_api.h: one enumerator each, in the table's order, with the facts a
// caller, a recording or a stand-in host needs to handle a call of any of
// them without naming it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "interface/fx_host_api.h"

namespace hostdata {

enum class HostFunction {
#define HOSTDATA_ENUMERATOR(name, result, parameters, arguments, shape) name,
    FX_HOST_FUNCTIONS(HOSTDATA_ENUMERATOR)
#undef HOSTDATA_ENUMERATOR
};

// The rows' pieces are types, parameter lists and names, which parentheses
// would break: NOLINTBEGIN(bugprone-macro-parentheses)
#define HOSTDATA_LISTED(name, result, parameters, arguments, shape) HostFunction::name,
// NOLINTEND(bugprone-macro-parentheses)
inline constexpr HostFunction kAllHostFunctions[] = {FX_HOST_FUNCTIONS(HOSTDATA_LISTED)};
#undef HOSTDATA_LISTED
inline constexpr std::size_t kHostFunctionCount = std::size(kAllHostFunctions);

// Which arguments the host reads and writes; fx_host_api.h says what each
// shape means.
enum class CallShape { FillsBuffer, TakesBuffer, Keyed, Steps, TwoNumbers, VersionOnly };

constexpr bool IsKeyed(CallShape shape) {
    return shape == CallShape::FillsBuffer || shape == CallShape::TakesBuffer ||
           shape == CallShape::Keyed || shape == CallShape::Steps;
}

// FX_<name>_fn for each enumerator.
template <HostFunction function>
struct HostFunctionType;
#define HOSTDATA_TYPE(name, result, parameters, arguments, shape) \
    template <>                                                   \
    struct HostFunctionType<HostFunction::name> {                 \
        using type = FX_##name##_fn;                              \
    };
FX_HOST_FUNCTIONS(HOSTDATA_TYPE)
#undef HOSTDATA_TYPE
template <HostFunction function>
using HostFunctionPointer = typename HostFunctionType<function>::type;

namespace host_functions_detail {
template <typename Function>
struct Signature;
template <typename Result, typename First, typename... Rest>
struct Signature<Result (*)(First, Rest...)> {
    using FirstParameter = First;
};
}  // namespace host_functions_detail

struct HostFunctionFacts {
    const char *name;  // "FX_LoadEData"
    CallShape shape;
    bool wideResult;     // a 32-bit result; the others are 16-bit
    bool signedNumbers;  // TwoNumbers: the numbers are signed; otherwise unsigned
};

inline constexpr HostFunctionFacts kHostFunctions[kHostFunctionCount] = {
#define HOSTDATA_FACTS(name, result, parameters, arguments, shape) \
    {"FX_" #name, CallShape::shape, sizeof(result) == 4,           \
     std::is_signed_v<typename host_functions_detail::Signature<FX_##name##_fn>::FirstParameter>},
    FX_HOST_FUNCTIONS(HOSTDATA_FACTS)
#undef HOSTDATA_FACTS
};

constexpr const HostFunctionFacts &FactsOf(HostFunction function) {
    return kHostFunctions[static_cast<std::size_t>(function)];
}

constexpr const char *NameOf(HostFunction function) { return FactsOf(function).name; }

// The function of that exact name, or null.
constexpr const HostFunctionFacts *FindHostFunction(std::string_view name) {
    for (const HostFunctionFacts &facts : kHostFunctions) {
        if (name == facts.name) return &facts;
    }
    return nullptr;
}

constexpr HostFunction FunctionOf(const HostFunctionFacts &facts) {
    return static_cast<HostFunction>(&facts - kHostFunctions);
}

}  // namespace hostdata
