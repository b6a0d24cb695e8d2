#include <windows.h>

#include <s22network/S22Network.h>

#include "MessageNames.h"

MessageCalls WindowsFirst()
{
#ifdef SendMessage
    const bool macros = true;
#else
    const bool macros = false;
#endif
    return {"windows.h first", macros,
            [](CS22Network& net) { return net.SendMessage(1, "M", nullptr, 0, nullptr, 0); },
            [](CS22Network& net, short& result) { return net.GetMessage(1, "M", result, nullptr, 0); }};
}
