#include "net/SockErr.h"
#include "support/Udp.h"

#include <gtest/gtest.h>

#include <cstring>

using base::CError;
using net::CSockErr;

TEST(Error, SocketErrorMessages) {
    struct Case {
        int code;
        const char* message;
    } cases[] = {
        {10060, "Socket Error 10060 : Connection timed out"},
        {0, "Socket Error 0 : No error"},
        {11004, "Socket Error 11004 : Valid name, no data record of requested type"},
        {6, "Socket Error 6 : Event object handle not valid"},
        {10072, "Socket Error 10072 : Unknown error"}, // a gap inside the known range
        {-1, "Socket Error -1 : Unknown error"},
    };
    for (const Case& c : cases) {
        CSockErr error(c.code);
        EXPECT_STREQ(error.what(), c.message);
        EXPECT_EQ(error.Code(), c.code);
    }
    EXPECT_NO_THROW(CSockErr::ThrowIfSockError(0));
    EXPECT_THROW(CSockErr::ThrowIfSockError(10060), CSockErr);
}

TEST(Error, MessageNamesSourceFileAndLine) {
    struct Case {
        const char* file;
        int line;
        const char* message;
    } cases[] = {
        {nullptr, 0, "Oops"},
        {"C:\\src\\net\\SockUDP.cpp", 42, "Oops in Datei SockUDP.cpp, 42"},
        {"plain.cpp", 0, "Oops in Datei plain.cpp"},
        {nullptr, 7, "Oops, 7"},
        {"dir\\", 1, "Oops in Datei , 1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(base::CError("Oops", c.file, c.line).Message(), c.message);
}

TEST(Error, GetErrorMessageCopiesWithinTheBuffer) {
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(base::CError("").GetErrorMessage(buffer, sizeof buffer));
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_TRUE(base::CError("0123456789").GetErrorMessage(buffer, 5));
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(buffer[5], 'x');
}

TEST(Error, BindingATakenPortReportsTheWinsockNumber) {
    testsupport::SLoopbackPair taken;
    try {
        taken.b.Create(taken.a.LocalAddress());
        FAIL() << "second bind succeeded";
    } catch (const CSockErr& e) {
        EXPECT_STREQ(e.what(), "Socket Error 10048 : Address already in use");
    }
    EXPECT_FALSE(taken.b.IsOpen());
}
