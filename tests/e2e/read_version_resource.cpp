// Prints a module's version resource as Windows reads it for the file's
// Properties.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

void PrintString(const std::vector<char> &info, const char *name) {
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\040904b0\\%s", name);
    char *value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(info.data(), path, reinterpret_cast<void **>(&value), &length)) {
        std::printf("%s: %s\n", name, value);
    } else {
        std::printf("%s: (none)\n", name);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(argv[1], 0, size, info.data())) {
        std::printf("no version resource\n");
        return 1;
    }
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length);
    std::printf("file version: %u.%u.%u.%u\n",
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
    std::printf("product version: %u.%u.%u.%u\n",
                static_cast<unsigned>(HIWORD(fixed->dwProductVersionMS)),
                static_cast<unsigned>(LOWORD(fixed->dwProductVersionMS)),
                static_cast<unsigned>(HIWORD(fixed->dwProductVersionLS)),
                static_cast<unsigned>(LOWORD(fixed->dwProductVersionLS)));
    std::printf("file type: %s\n", fixed->dwFileType == VFT_DLL ? "DLL" : "other");
    PrintString(info, "FileDescription");
    PrintString(info, "FileVersion");
    PrintString(info, "ProductName");
    PrintString(info, "ProductVersion");
    return 0;
}
