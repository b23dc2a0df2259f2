// Linux: the copy lies in memory (memfd), loaded through /proc/self/fd, so
// that it leaves no file in the worker's folders.
#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

#include "standin/platform/file_access.h"
#include "standin/validator/module_copy.h"

namespace standin::validator {
namespace {

constexpr std::size_t kLargestModule = std::size_t{256} << 20;

}  // namespace

ModuleCopy::ModuleCopy(const std::string &module) {
    const std::string bytes = ReadRegularFile(module, kLargestModule);
    descriptor_ = memfd_create("module copy", MFD_CLOEXEC);
    if (descriptor_ < 0) throw std::runtime_error("no copy of the module could be made");
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(descriptor_, bytes.data() + written, bytes.size() - written);
        if (count <= 0) {
            close(descriptor_);
            throw std::runtime_error("no copy of the module could be made");
        }
        written += static_cast<std::size_t>(count);
    }
    // The loader takes a path it has loaded from before for the module it
    // loaded then, and a closed copy's descriptor number comes round again:
    // each copy's path is spelled as none before it was.
    static std::size_t copies = 0;
    path_ = "/proc/self/fd/";
    for (std::size_t step = 0; step < copies; ++step) path_ += "./";
    path_ += std::to_string(descriptor_);
    ++copies;
}

ModuleCopy::~ModuleCopy() { Loaded(); }

void ModuleCopy::Loaded() {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
}

}  // namespace standin::validator
