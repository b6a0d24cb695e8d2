#pragma once
// Link result codes: every operation of the sign link returns one of these.

#include "s22network/S22NetworkExport.h"

constexpr short S22NET_OK = 0;
constexpr short ERR_COMMAND_BUSY = -1;
constexpr short ERR_COMMAND_ALREADY_CONNECTED = -2;
constexpr short ERR_COMMAND_NOT_CONFIGURED = -3;
constexpr short ERR_COMMAND_NO_CONNECTION = -4;
constexpr short ERR_COMMAND_NO_BROADCAST = -5;
constexpr short ERR_SIGN_NO_RESPONSE = -6;
constexpr short ERR_SIGN_INVALID_RESPONSE = -7;
constexpr short ERR_SIGN_UNSUPPORTED_COMMAND = -8;
constexpr short ERR_SIGN_BAD_COMMAND = -9;
constexpr short ERR_SIGN_RESPONSE_ERROR = -10;
constexpr short ERR_SIGN_ABORT = -11;
constexpr short ERR_NETWORK_CONNECT_FAILED = -12;
constexpr short ERR_NETWORK_DISCONNECT_INVALID = -13;
constexpr short ERR_NETWORK_NO_WRITE = -14;
constexpr short ERR_NETWORK_NO_READ = -15;
constexpr short ERR_SOCKET_NO_CREATE = -16;
constexpr short ERR_SOCKET_NO_INIT = -17;
constexpr short ERR_GRAPHIC_UNSUPPORTED_FORMAT = -18;

// A request the host refuses to send as given (empty, too long, a name longer than its field). It
// shares the bad-command code: the controller would refuse such a request the same way, and callers
// already treat that code as "this command cannot be carried out".
constexpr short ERR_COMMAND_BAD_ARGUMENT = ERR_SIGN_BAD_COMMAND;

// The diagnostics text of a result code, newline included ("Unkown Error\n" for unknown codes).
S22NETWORK_API const char* S22ResultText(short code);
