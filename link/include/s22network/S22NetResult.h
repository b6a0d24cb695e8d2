#pragma once
// Link result codes: every operation of the sign link returns one of these. They are the
// enumerators of S22Result, a signed 16-bit type; they convert to short (and int) wherever a code
// is stored, so the exported CS22Network keeps returning short.

#include "s22network/S22NetworkExport.h"

enum S22Result : short {
    S22NET_OK = 0,
    ERR_COMMAND_BUSY = -1,
    ERR_COMMAND_ALREADY_CONNECTED = -2,
    ERR_COMMAND_NOT_CONFIGURED = -3,
    ERR_COMMAND_NO_CONNECTION = -4,
    ERR_COMMAND_NO_BROADCAST = -5,
    ERR_SIGN_NO_RESPONSE = -6,
    ERR_SIGN_INVALID_RESPONSE = -7,
    ERR_SIGN_UNSUPPORTED_COMMAND = -8,
    ERR_SIGN_BAD_COMMAND = -9,
    ERR_SIGN_RESPONSE_ERROR = -10,
    ERR_SIGN_ABORT = -11,
    ERR_NETWORK_CONNECT_FAILED = -12,
    ERR_NETWORK_DISCONNECT_INVALID = -13,
    ERR_NETWORK_NO_WRITE = -14,
    ERR_NETWORK_NO_READ = -15,
    ERR_SOCKET_NO_CREATE = -16,
    ERR_SOCKET_NO_INIT = -17,
    ERR_GRAPHIC_UNSUPPORTED_FORMAT = -18,

    // A request the host refuses to send as given (empty, too long, a name longer than its field).
    // It shares the bad-command code: the controller would refuse such a request the same way, and
    // callers already treat that code as "this command cannot be carried out".
    ERR_COMMAND_BAD_ARGUMENT = ERR_SIGN_BAD_COMMAND,
};

// The diagnostics text of a result code, newline included ("Unkown Error\n" for unknown codes).
S22NETWORK_API const char* S22ResultText(short code);
