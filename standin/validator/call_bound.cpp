#include "standin/validator/call_bound.h"

#include "interface/host_functions.h"

namespace standin::validator {
namespace {

constexpr std::size_t kCallsPerRecord = 16;
constexpr std::size_t kCallsPerCommand = 64;

}  // namespace

std::size_t CallBound(std::size_t records) { return kCallsPerRecord * records + kCallsPerCommand; }

CallBoundedHost::CallBoundedHost(Host &document)
    : document_(document), records_(document.Records().All().size()) {}

void CallBoundedHost::Count() {
    if (++calls_ > CallBound(records_)) document_.RefuseEveryCall();
}

std::string CallBoundedHost::BoundFault() const {
    const std::size_t bound = CallBound(records_);
    if (calls_ <= bound) return {};
    return "FinaleExtensionInvoke went on past " + std::to_string(bound) + " host calls, " +
           std::to_string(kCallsPerRecord) + " for each of the " + std::to_string(records_) +
           " records the host held and " + std::to_string(kCallsPerCommand) +
           ": a walk that does not end, or work that grows faster than the document; the host "
           "refused every call past the bound, and the command made " +
           std::to_string(calls_) + " in all";
}

// Each call counted, then made on the document. The layout update alone
// may add records of the host's own (a system the layout needed), which
// raise the bound.
// NOLINTBEGIN(bugprone-macro-parentheses): the rows' pieces are types,
// parameter lists and argument lists
#define STANDIN_BOUNDED_DEFINITION(name, result, parameters, arguments, shape)      \
    result CallBoundedHost::name parameters {                                       \
        Count();                                                                    \
        const std::size_t before = document_.Records().All().size();                \
        const result answer = document_.name arguments;                             \
        const std::size_t after = document_.Records().All().size();                 \
        if (hostdata::HostFunction::name == hostdata::HostFunction::UpdateLayout && \
            after > before) {                                                       \
            records_ += after - before;                                             \
        }                                                                           \
        return answer;                                                              \
    }
// NOLINTEND(bugprone-macro-parentheses)
FX_HOST_FUNCTIONS(STANDIN_BOUNDED_DEFINITION)
#undef STANDIN_BOUNDED_DEFINITION

}  // namespace standin::validator
