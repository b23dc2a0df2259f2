// A copy of a module's file that the system loads apart from the module
// itself: another instance of it, with globals of its own at another
// address, as a host started afresh would have it.
#pragma once

#include <string>

namespace standin::validator {

class ModuleCopy {
public:
    // Throws std::runtime_error when no copy can be made.
    explicit ModuleCopy(const std::string &module);
    ~ModuleCopy();
    ModuleCopy(const ModuleCopy &) = delete;
    ModuleCopy &operator=(const ModuleCopy &) = delete;

    // Where to load the copy from.
    const std::string &Path() const { return path_; }
    // Once the copy is loaded: nothing of it stays open that the module
    // could take for its own (Linux: the descriptor holding it).
    void Loaded();

private:
    std::string path_;
    int descriptor_ = -1;
};

}  // namespace standin::validator
