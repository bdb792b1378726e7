#include "win/FileDialog.h"

#include <commdlg.h>

#include <vector>

namespace win {

std::string MakeFileFilter(const char* filter) {
    std::string result = filter ? filter : "";
    for (char& c : result)
        if (c == '|')
            c = '\0';
    while (result.size() < 2 || result[result.size() - 1] != '\0' || result[result.size() - 2] != '\0')
        result.push_back('\0');
    return result;
}

namespace {

bool AskFileName(bool save, HWND owner, const char* filter, const char* defaultExt, std::string& fileName,
                 DWORD flags) {
    std::string filterText = MakeFileFilter(filter);
    std::vector<char> buffer(MAX_PATH * 4, '\0');
    fileName.copy(buffer.data(), buffer.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterText.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = defaultExt;
    ofn.Flags = flags | OFN_EXPLORER;
    BOOL ok = save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
    if (!ok)
        return false;
    fileName = buffer.data();
    return true;
}

} // namespace

bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExt, std::string& fileName,
                     DWORD flags) {
    return AskFileName(true, owner, filter, defaultExt, fileName, flags);
}

bool AskOpenFileName(HWND owner, const char* filter, const char* defaultExt, std::string& fileName,
                     DWORD flags) {
    return AskFileName(false, owner, filter, defaultExt, fileName, flags);
}

} // namespace win
