// The common file save and open dialogs, with filters written as "Text (*.txt)|*.txt|All (*.*)|*.*||".
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

namespace win {

// The filter in the dialog's form: each '|' becomes a NUL, and the bytes end with exactly two NULs
// (a filter without its closing "||" gets them).
std::string MakeFileFilter(const char* filter);

// Shows the save dialog with fileName as the suggestion. true and the chosen path in fileName when the
// user confirmed; false on Cancel. flags are OPENFILENAME flags (OFN_...).
bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExt, std::string& fileName,
                     DWORD flags);
// The same for the open dialog.
bool AskOpenFileName(HWND owner, const char* filter, const char* defaultExt, std::string& fileName,
                     DWORD flags);

} // namespace win
