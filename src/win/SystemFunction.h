// Functions of system libraries that older Windows versions lack, looked up at run time.
#pragma once

#include <windows.h>

namespace win {

// The function `name` of the library `module`, or null where the system does not have it. With load
// the library is loaded first; without, only a library the process has loaded already is looked at.
template <typename Fn> Fn SystemFunction(const char* module, const char* name, bool load = false) {
    HMODULE dll = load ? ::LoadLibraryA(module) : ::GetModuleHandleA(module);
    return dll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(dll, name))) : nullptr;
}

} // namespace win
