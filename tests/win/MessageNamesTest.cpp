// CS22Network exports SendMessageA and GetMessageA; callers reach them as SendMessage and
// GetMessage whatever the order of <windows.h> and S22Network.h (the calls are linked at all only
// when the names meet). Nothing is connected: each call gives the no-connection code.
#include "WineLine.h"

#include "MessageNames.h"

#include "link/S22Network.h"
#include "link/S22SignLink.h"

using MessageNamesWin = WineLineTest;

TEST_F(MessageNamesWin, EveryIncludeOrderReachesTheLibrary)
{
    const struct {
        MessageCalls calls;
        bool macros;
    } cases[] = {
        {WindowsFirst(), true}, {WindowsAfter(), true}, {MacrosLater(), true}, {WithoutMacros(), false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.calls.macros, c.macros) << c.calls.unit;
        CS22Network net;
        EXPECT_EQ(c.calls.send(net), ERR_COMMAND_NO_CONNECTION) << c.calls.unit;
        short result = S22NET_OK;
        EXPECT_EQ(c.calls.get(net, result), nullptr) << c.calls.unit;
        EXPECT_EQ(result, ERR_COMMAND_NO_CONNECTION) << c.calls.unit;
    }
}

TEST_F(MessageNamesWin, SignLinkDeleteFileUnderTheMacro)
{
    CS22SignLink link;
    EXPECT_EQ(DeleteFileUnderTheMacro(link), ERR_COMMAND_NO_CONNECTION);
}
