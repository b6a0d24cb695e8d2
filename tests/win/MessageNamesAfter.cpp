#include <s22network/S22Network.h>

#include <windows.h>

#include "MessageNames.h"

MessageCalls WindowsAfter()
{
#ifdef SendMessage
    const bool macros = true;
#else
    const bool macros = false;
#endif
    return {"windows.h after", macros,
            [](CS22Network& net) { return net.SendMessage(1, "M", nullptr, 0, nullptr, 0); },
            [](CS22Network& net, short& result) { return net.GetMessage(1, "M", result, nullptr, 0); }};
}
