#include "link/S22NetResult.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

TEST(ResultText, EveryCodeHasItsLogText)
{
    const char* expected[] = {
        "S22NET_OK\n", "ERR_COMMAND_BUSY\n", "ERR_COMMAND_ALREADY_CONNECTED\n", "ERR_COMMAND_NOT_CONFIGURED\n",
        "ERR_COMMAND_NO_CONNECTION\n", "ERR_COMMAND_NO_BROADCAST\n", "ERR_SIGN_NO_RESPONSE\n",
        "ERR_SIGN_INVALID_RESPONSE\n", "ERR_SIGN_UNSUPPORTED_COMMAND\n", "ERR_SIGN_BAD_COMMAND\n",
        "ERR_SIGN_RESPONSE_ERROR\n", "ERR_SIGN_ABORT\n", "ERR_NETWORK_CONNECT_FAILED\n",
        "ERR_NETWORK_DISCONNECT_INVALID\n", "ERR_NETWORK_NO_WRITE\n", "ERR_NETWORK_NO_READ\n",
        "ERR_SOCKET_NO_CREATE\n", "ERR_SOCKET_NO_INIT\n", "ERR_GRAPHIC_UNSUPPORTED_FORMAT\n",
    };
    for (int i = 0; i <= 18; ++i)
        EXPECT_STREQ(S22ResultText(static_cast<short>(-i)), expected[i]) << i;
}

TEST(ResultText, CodesOutsideTheTableAreUnknown)
{
    for (short code : {short(1), short(-19), short(-100), short(32767), short(-32768)})
        EXPECT_STREQ(S22ResultText(code), "Unkown Error\n") << code;
}

// The codes are a 16-bit enumeration whose numbers are the wire-level contract of every caller.
static_assert(std::is_same_v<std::underlying_type_t<S22Result>, short>);
static_assert(sizeof(S22Result) == sizeof(short));

TEST(ResultCodes, KeepTheirNumbers)
{
    const S22Result codes[] = {
        S22NET_OK, ERR_COMMAND_BUSY, ERR_COMMAND_ALREADY_CONNECTED, ERR_COMMAND_NOT_CONFIGURED,
        ERR_COMMAND_NO_CONNECTION, ERR_COMMAND_NO_BROADCAST, ERR_SIGN_NO_RESPONSE, ERR_SIGN_INVALID_RESPONSE,
        ERR_SIGN_UNSUPPORTED_COMMAND, ERR_SIGN_BAD_COMMAND, ERR_SIGN_RESPONSE_ERROR, ERR_SIGN_ABORT,
        ERR_NETWORK_CONNECT_FAILED, ERR_NETWORK_DISCONNECT_INVALID, ERR_NETWORK_NO_WRITE, ERR_NETWORK_NO_READ,
        ERR_SOCKET_NO_CREATE, ERR_SOCKET_NO_INIT, ERR_GRAPHIC_UNSUPPORTED_FORMAT,
    };
    for (int i = 0; i <= 18; ++i)
        EXPECT_EQ(static_cast<short>(codes[i]), -i) << S22ResultText(codes[i]);
    EXPECT_EQ(static_cast<short>(ERR_COMMAND_BAD_ARGUMENT), -9);
}
