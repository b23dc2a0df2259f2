#include "standin/validator/workbench.h"

#include <cstdlib>
#include <exception>

#include "standin/validator/fault_context.h"
#include "standin/validator/process_state.h"
#include "standin/validator/validator_platform.h"

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

namespace {

// Names the entry point running while this lives.
class Running {
public:
    explicit Running(const char *entryPoint) { SetRunningEntryPoint(entryPoint); }
    ~Running() { SetRunningEntryPoint(nullptr); }
    Running(const Running &) = delete;
    Running &operator=(const Running &) = delete;
};

// What the module left changed of the process, each said to have happened
// `when` ("FinaleExtensionInvoke ").
void AddProcessChanges(Faults &faults, const std::string &when) {
    // A copy of the worker the module made carries on no further.
    if (IsCopyOfTheWorker()) std::_Exit(0);
    if (ProcessWatch *watch = ActiveProcessWatch()) {
        for (const std::string &change : watch->Check()) faults.push_back(when + change);
    }
}

}  // namespace

Plugin &Workbench::Module() {
    if (!module_) {
        {
            const Running loading("its loading");
            module_ = std::make_unique<Plugin>(modulePath_);
        }
        AddProcessChanges(loadingFaults_, "while it was loaded, it ");
    }
    return *module_;
}

std::unique_ptr<FreshModule> Workbench::Fresh() {
    Module();
    auto fresh = std::make_unique<FreshModule>(modulePath_);
    {
        const Running loading("its loading");
        fresh->plugin = std::make_unique<Plugin>(fresh->copy.Path());
    }
    fresh->copy.Loaded();
    AddProcessChanges(loadingFaults_, "while it was loaded again, it ");
    return fresh;
}

Faults CallEntryPoint(const char *entryPoint, const std::function<void()> &call) {
    Faults faults;
    try {
        const Running running(entryPoint);
        call();
    } catch (const std::exception &error) {
        faults.push_back(std::string("an exception left ") + entryPoint + ": " + error.what());
    } catch (...) {
        faults.push_back(std::string("an exception left ") + entryPoint);
    }
    AddProcessChanges(faults, std::string(entryPoint) + " ");
    return faults;
}

}  // namespace standin::validator
