#include "base/Error.h"

#include <algorithm>
#include <cstring>

namespace base {

namespace {

std::string WithSource(std::string text, const char* sourceFile, int line) {
    if (sourceFile) {
        const char* slash = strrchr(sourceFile, '\\');
        text += " in Datei ";
        text += slash ? slash + 1 : sourceFile;
    }
    if (line >= 1)
        text += ", " + std::to_string(line);
    return text;
}

} // namespace

CError::CError(std::string text, const char* sourceFile, int line)
    : m_message(WithSource(std::move(text), sourceFile, line)) {}

bool CError::GetErrorMessage(char* buffer, unsigned size) const {
    if (m_message.empty() || size == 0)
        return false;
    size_t n = std::min<size_t>(m_message.size(), size - 1);
    memcpy(buffer, m_message.data(), n);
    buffer[n] = '\0';
    return true;
}

} // namespace base
