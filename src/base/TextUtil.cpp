#include "base/TextUtil.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace base {

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
    for (int i = 0; i < index; ++i) { // ends at the last separator, however large the index
        size_t next = text.find(separator, start);
        if (next == std::string::npos)
            return {};
        start = next + 1;
    }
    size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int ReadInt(const char* text) {
    errno = 0;
    long value = strtol(text, nullptr, 10);
    if (value > INT_MAX || (errno == ERANGE && value > 0))
        return INT_MAX;
    if (value < INT_MIN || (errno == ERANGE && value < 0))
        return INT_MIN;
    return static_cast<int>(value);
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

} // namespace base
