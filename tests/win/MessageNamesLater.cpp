// The macros arrive after the class, which therefore has its forwarding SendMessage and
// GetMessage; the calls below become SendMessageA and GetMessageA by the macros. (S22Network.h
// brings <windows.h> itself, so a caller gets here only by undefining the macros before it and
// defining them again after, as <winuser.h> does for a build without UNICODE.)
#include <windows.h>
#undef SendMessage
#undef GetMessage

#include <s22network/S22Network.h>

#define SendMessage SendMessageA
#define GetMessage GetMessageA

#include "MessageNames.h"

MessageCalls MacrosLater()
{
#ifdef SendMessage
    const bool macros = true;
#else
    const bool macros = false;
#endif
    return {"macros after S22Network.h", macros,
            [](CS22Network& net) { return net.SendMessage(1, "M", nullptr, 0, nullptr, 0); },
            [](CS22Network& net, short& result) { return net.GetMessage(1, "M", result, nullptr, 0); }};
}
