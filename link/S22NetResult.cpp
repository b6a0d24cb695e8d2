#include "link/S22ResultTexts.h"

const char* S22ResultTextOf(short code)
{
    static const char* const kTexts[] = {
        "S22NET_OK\n",
        "ERR_COMMAND_BUSY\n",
        "ERR_COMMAND_ALREADY_CONNECTED\n",
        "ERR_COMMAND_NOT_CONFIGURED\n",
        "ERR_COMMAND_NO_CONNECTION\n",
        "ERR_COMMAND_NO_BROADCAST\n",
        "ERR_SIGN_NO_RESPONSE\n",
        "ERR_SIGN_INVALID_RESPONSE\n",
        "ERR_SIGN_UNSUPPORTED_COMMAND\n",
        "ERR_SIGN_BAD_COMMAND\n",
        "ERR_SIGN_RESPONSE_ERROR\n",
        "ERR_SIGN_ABORT\n",
        "ERR_NETWORK_CONNECT_FAILED\n",
        "ERR_NETWORK_DISCONNECT_INVALID\n",
        "ERR_NETWORK_NO_WRITE\n",
        "ERR_NETWORK_NO_READ\n",
        "ERR_SOCKET_NO_CREATE\n",
        "ERR_SOCKET_NO_INIT\n",
        "ERR_GRAPHIC_UNSUPPORTED_FORMAT\n",
    };
    constexpr int kCount = static_cast<int>(sizeof(kTexts) / sizeof(kTexts[0]));
    const int index = -static_cast<int>(code);
    if (index < 0 || index >= kCount)
        return "Unkown Error\n";
    return kTexts[index];
}
