// The exception every library throws, or derives its own from.
#pragma once

#include <exception>
#include <string>

namespace base {

class CError : public std::exception {
public:
    // The message is `text`, then " in Datei <file name without directory>" when a source file is
    // given, then ", <line>" when the line is 1 or more.
    explicit CError(std::string text, const char* sourceFile = nullptr, int line = 0);
    CError(std::string text, int code) : m_message(std::move(text)), m_code(code) {}

    const std::string& Message() const { return m_message; }
    int Code() const { return m_code; }
    const char* what() const noexcept override { return m_message.c_str(); }

    // Copies at most size - 1 characters of the message and a NUL; false (buffer untouched) when the
    // message is empty.
    bool GetErrorMessage(char* buffer, unsigned size) const;

protected:
    std::string m_message;
    int m_code = 0;
};

} // namespace base
