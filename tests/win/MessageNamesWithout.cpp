// A caller that keeps the macros out by undefining them.
#include <windows.h>
#undef SendMessage
#undef GetMessage

#include <s22network/S22Network.h>

#include "MessageNames.h"

MessageCalls WithoutMacros()
{
#ifdef SendMessage
    const bool macros = true;
#else
    const bool macros = false;
#endif
    return {"no macros", macros,
            [](CS22Network& net) { return net.SendMessage(1, "M", nullptr, 0, nullptr, 0); },
            [](CS22Network& net, short& result) { return net.GetMessage(1, "M", result, nullptr, 0); }};
}
