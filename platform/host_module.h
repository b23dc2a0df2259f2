// One of the plug-in's two doors to the operating system (the other is
// recording_files.h): finding the host program's module and the functions it
// exports. One implementation file per platform; nothing outside platform/ is
// platform-specific.
#pragma once

namespace platform {

using ModuleHandle = void *;

// Any exported function, before it is cast to its real signature. The type
// void(*)() is the one function pointer type that every other converts to
// and from without a warning.
using ExportedFunction = void (*)();

// The handle of a module already loaded in this process whose file name is
// `fileName`, compared without regard to ASCII case; null when there is none.
ModuleHandle FindLoadedModule(const char *fileName);

// The function `name` exported by `module`; null when there is none. A null
// module stands for the running program itself, as Windows has it.
ExportedFunction FindExport(ModuleHandle module, const char *name);

}  // namespace platform
