// Writing a whole file so that a failure leaves nothing half written behind.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Writes bytes to a temporary file in the folder of path and moves it over path. On failure no
// temporary file is left, an existing file at path is unchanged, and error holds the system's code.
bool SaveFileReplacing(const std::string& path, const std::string& bytes, DWORD& error);

// The system's text for an error code, without the trailing line break; the number when there is none.
std::string SystemErrorText(DWORD error);

} // namespace win
