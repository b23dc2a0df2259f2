// The host's data functions, exported by name from the stand-in host
// program exactly as the plug-in looks them up. Each serves the current
// Host. A build can leave chosen functions out (STANDIN_WITHOUT_FX_<name>,
// defined as the compiler's -D defines it, to 1) to play a host that lacks
// them.
#include "standin/host/fx_exports.h"

#include "standin/host/host.h"

using standin::Host;
using standin::HostCallScope;

// The macros below paste names and splice types and argument lists, which
// parentheses would break: NOLINTBEGIN(bugprone-macro-parentheses)

// STANDIN_IS_ONE(x) is 1 where x is a macro defined as 1 and 0 where x is
// no macro: the second of "0, 1, 0" or of "<junk> 1, 0".
#define STANDIN_PLACEHOLDER_1 0,
#define STANDIN_SECOND(first, second, ...) second
#define STANDIN_IS_ONE(x) STANDIN_IS_ONE_(x)
#define STANDIN_IS_ONE_(value) STANDIN_IS_ONE__(STANDIN_PLACEHOLDER_##value)
#define STANDIN_IS_ONE__(placeholderOrJunk) STANDIN_SECOND(placeholderOrJunk 1, 0, 0)

#define STANDIN_UNLESS(condition) STANDIN_UNLESS_(condition)
#define STANDIN_UNLESS_(condition) STANDIN_UNLESS_##condition
#define STANDIN_UNLESS_0(...) __VA_ARGS__
#define STANDIN_UNLESS_1(...)

#define STANDIN_DEFINE_EXPORT(name, result, parameters, arguments, shape)     \
    STANDIN_UNLESS(STANDIN_IS_ONE(STANDIN_WITHOUT_FX_##name))                 \
    (STANDIN_EXPORT result FX_##name parameters {                             \
        const HostCallScope scope;                                            \
        return Host::Current() ? Host::Current()->name arguments : result{0}; \
    })

// NOLINTEND(bugprone-macro-parentheses)

extern "C" {
FX_HOST_FUNCTIONS(STANDIN_DEFINE_EXPORT)
}
