#include "standin/validator/workbench.h"

#include <exception>

namespace standin::validator {

void AddFaults(Faults &faults, const Faults &more, const std::string &where) {
    for (const std::string &fault : more) {
        faults.push_back(where.empty() ? fault : where + ": " + fault);
    }
}

void AddFault(Faults &faults, const std::string &fault) {
    if (!fault.empty()) faults.push_back(fault);
}

void CaseLog::Lines(const std::string &text) const {
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        traceLine_(text.substr(start, end - start));
    }
}

void CaseLog::Watch(Host &host, const std::string &title) {
    if (!traceLine_) return;
    Lines("# " + title + "\n" + TraceHeader());
    host.WatchCalls([this](const HostCall &call) { Lines(TraceLines(call)); });
}

Plugin &Workbench::Module() {
    if (!module_) module_ = std::make_unique<Plugin>(modulePath_);
    return *module_;
}

std::string Escaped(const char *function, const std::function<void()> &call) {
    try {
        call();
    } catch (const std::exception &error) {
        return std::string("an exception left ") + function + ": " + error.what();
    } catch (...) {
        return std::string("an exception left ") + function;
    }
    return {};
}

}  // namespace standin::validator
