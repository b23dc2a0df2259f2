// How the stand-in host loads a plug-in module and finds its exports: the
// host program's own small seam to the operating system.
#pragma once

#include <string>

namespace standin {

class LoadedModule {
public:
    // Loads the module at `path`; on failure the module is empty and
    // `error` says why.
    explicit LoadedModule(const std::string &path);
    ~LoadedModule();
    LoadedModule(const LoadedModule &) = delete;
    LoadedModule &operator=(const LoadedModule &) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string &Error() const { return error_; }

    using Function = void (*)();
    Function Find(const char *name) const;

private:
    void *handle_ = nullptr;
    std::string error_;
};

// Whether this program itself exports `name`: a host program built without
// one of its functions does not.
bool ThisProgramExports(const char *name);

}  // namespace standin
