// The bound on a command's host calls, whatever host it runs on: enough to
// load, step to and save each record of the document several times over,
// while a walk that does not end, or work that grows faster than the
// document, goes past it on any document.
#pragma once

#include <cstddef>
#include <string>

#include "standin/host/host.h"

namespace standin::validator {

// The most host calls one command may make on a host holding `records`
// records: sixteen for each, and 64.
std::size_t CallBound(std::size_t records);

// What the module's calls reach during one command: `document`, each call
// counted from here. Past the bound `document` refuses every call, as a
// host with no more records would: a walk's next fails, and the command
// returns. R is the records `document` holds now and any a layout update
// adds, not those the module creates or saves under new keys, which would
// raise its own bound.
class CallBoundedHost : public Host {
public:
    explicit CallBoundedHost(Host &document);

    // The command's fault when it went past its bound, a sentence of its
    // own ("FinaleExtensionInvoke went on past ..."); empty when it kept
    // within it.
    std::string BoundFault() const;

#define STANDIN_BOUNDED_FUNCTION(name, result, parameters, arguments, shape) \
    result name parameters override;
    FX_HOST_FUNCTIONS(STANDIN_BOUNDED_FUNCTION)
#undef STANDIN_BOUNDED_FUNCTION

private:
    void Count();

    Host &document_;
    std::size_t records_;
    std::size_t calls_ = 0;
};

}  // namespace standin::validator
