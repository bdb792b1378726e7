// The exception objects of the libraries: CError, and CSockErr for socket failures.
#pragma once

#include <exception>
#include <string>

namespace net {

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

// A socket failure: the WinSock error number and "Socket Error %i : %s" with its text.
class CSockErr : public CError {
public:
    CSockErr(); // from the calling thread's last socket error
    explicit CSockErr(int code);

    static void ThrowIfSockError(int code);
};

// The text of a WinSock error number, or nullptr when the table does not know it.
const char* SocketErrorText(int code);

} // namespace net
