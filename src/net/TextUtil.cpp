#include "net/TextUtil.h"

#include <cctype>

#ifdef _WIN32
#include <windows.h>
#endif

namespace net {

namespace {

bool IsSpace(char c) {
    return isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string& TrimText(std::string& text, int mode) {
    if (mode >= 0) {
        size_t end = text.size();
        while (end > 0 && IsSpace(text[end - 1]))
            --end;
        text.erase(end);
    }
    if (mode <= 0) {
        size_t start = 0;
        while (start < text.size() && IsSpace(text[start]))
            ++start;
        text.erase(0, start);
    }
    return text;
}

std::string GetField(const std::string& text, char separator, int index) {
    if (index < 0)
        return {};
    size_t start = 0;
    std::string field;
    for (int i = 0; i <= index; ++i) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        field.assign(text, start, end - start);
        start = end < text.size() ? end + 1 : end;
    }
    return field;
}

std::string LowerCopy(const std::string& text) {
    std::string lower = text;
#ifdef _WIN32
    if (!lower.empty())
        CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
#else
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
#endif
    return lower;
}

} // namespace net
