#include "net/SockErr.h"
#include "net/SockUDP.h"

#include <gtest/gtest.h>

using base::CError;
using net::CSockErr;

TEST(Error, SocketErrorMessages) {
    const std::pair<int, const char*> cases[] = {
        {10060, "Socket Error 10060 : Connection timed out"},
        {0, "Socket Error 0 : No error"},
        {11004, "Socket Error 11004 : Valid name, no data record of requested type"},
        {6, "Socket Error 6 : Event object handle not valid"},
        {10072, "Socket Error 10072 : Unknown error"}, // a gap inside the known range
        {-1, "Socket Error -1 : Unknown error"},
    };
    for (const auto& [code, message] : cases) {
        CSockErr error(code);
        EXPECT_EQ(std::make_pair(error.Code(), std::string(error.what())),
                  std::make_pair(code, std::string(message)));
    }
    EXPECT_NO_THROW(CSockErr::ThrowIfSockError(0));
    EXPECT_THROW(CSockErr::ThrowIfSockError(10060), CSockErr);
}

TEST(Error, MessageNamesSourceFileAndLineAndIsCopiedWithinTheBuffer) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {nullptr, 0, "Oops"},
        {"C:\\src\\net\\SockUDP.cpp", 42, "Oops in Datei SockUDP.cpp, 42"},
        {"plain.cpp", 0, "Oops in Datei plain.cpp"},
        {nullptr, 7, "Oops, 7"},
        {"dir\\", 1, "Oops in Datei , 1"},
    };
    for (const auto& [file, line, message] : cases)
        EXPECT_EQ(base::CError("Oops", file, line).Message(), message);

    // GetErrorMessage copies within the buffer.
    char buffer[8] = "xxxxxxx";
    EXPECT_FALSE(base::CError("").GetErrorMessage(buffer, sizeof buffer));
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_TRUE(base::CError("0123456789").GetErrorMessage(buffer, 5));
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(buffer[5], 'x');
}

TEST(Error, BindingATakenPortReportsTheWinsockNumber) {
    net::CSockUDP taken, second;
    taken.Create(net::CSockAddr("127.0.0.1:0"));
    try {
        second.Create(taken.LocalAddress());
        FAIL() << "second bind succeeded";
    } catch (const CSockErr& e) {
        EXPECT_STREQ(e.what(), "Socket Error 10048 : Address already in use");
    }
    EXPECT_FALSE(second.IsOpen());
}
