#pragma once
// Calls of CS22Network's SendMessage and GetMessage (and the sign link's DeleteFile) made from units
// that include <windows.h> in different orders, or keep its macros out.

class CS22Network;
class CS22SignLink;

struct MessageCalls {
    const char* unit;
    bool macros;                                   // SendMessage and GetMessage were macros there
    short (*send)(CS22Network& net);               // net.SendMessage(...)
    unsigned char* (*get)(CS22Network& net, short& result); // net.GetMessage(...)
};

MessageCalls WindowsFirst();    // <windows.h>, then S22Network.h
MessageCalls WindowsAfter();    // S22Network.h, then <windows.h>
MessageCalls MacrosLater();     // the macros undefined for S22Network.h, defined again after it
MessageCalls WithoutMacros();   // <windows.h>, the two macros undefined, then S22Network.h

// link.DeleteFile(...) with <windows.h> first, where it is a macro for DeleteFileA.
short DeleteFileUnderTheMacro(CS22SignLink& link);
