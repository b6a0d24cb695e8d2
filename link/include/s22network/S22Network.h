#pragma once
// The protocol class offered to other programs: one controller line, its set-up, control and
// commands. Every operation returns a link result code (S22NetResult.h).
//
// COM numbers mean the same here as in the tool. On Windows COM n is the port \\.\COM<n>. On
// Linux, with QVX_PORT_DIR set (and not empty), COM n is the device at $QVX_PORT_DIR/COM<n>.
// Otherwise the machine's serial devices are numbered COM1, COM2, ... in the order /dev/ttyS*,
// /dev/ttyUSB*, /dev/ttyACM*, each family by the number after its name (names with anything but up
// to six digits there are skipped); a ttyS node whose /sys/class/tty/ttyS<n>/type reads 0 has no
// UART behind it and is left out. The number is looked up at each Connect, so adding or removing an
// adapter can renumber the ports after it. (QVX_PORT_DIR is not used on Windows.)
//
// The environment also applies to programs using this library:
//   QVX_TIME_SCALE multiplies the port time-out (SetTimeOut) on every read and write (default 1,
//                  read at each use; tests use it to wait out time-outs quickly).
//   QVX_DEBUG      set to anything but "" or "0" (read once per process): every frame sent and
//                  received is traced in hex, one "qvx trace" line each, on standard error; on
//                  Windows it goes to OutputDebugStringA, and is also on while a debugger is
//                  attached.
//
// On Windows the time-out reaches the driver's read time-outs with the next write, and each read
// waits in one ReadFile bounded by them.
//
// option: the controller's option byte, sent right after the command code (data byte 1 of a basic
// command; data byte 2 of an extended one, after 0x80 and the code). A transfer carries it in its
// start request only, real-time data in every chunk. The library passes the caller's value
// unchanged and does not check it, except where noted below; the tool always passes 0.

#include "s22network/S22Bitmap.h"
#include "s22network/S22NetResult.h"
#include "s22network/S22NetworkEvents.h"
#include "s22network/S22Records.h"

#include "s22network/S22NetworkExport.h"
#include "s22network/S22NetworkVersion.h"

#include <memory>

class CS22NetInternal;

class S22NETWORK_API CS22Network {
public:
    CS22Network();
    ~CS22Network();
    CS22Network(const CS22Network&) = delete;
    CS22Network& operator=(const CS22Network&) = delete;

    // Set-up.
    // Chooses the line for the next Connect: COM comPort at baud, 8-N-1. Nothing is opened yet;
    // an earlier configuration is replaced, and the current time-out and event handler carry over.
    // It also names the diagnostics file "Direct COM<comPort>.txt". ERR_COMMAND_ALREADY_CONNECTED
    // while connected. flag is kept with the port but changes nothing on the line, in the frames or
    // in the results; pass false.
    short ConfigureDirect(short comPort, long baud, bool flag);
    short Connect();
    // Why the last Connect failed (-12): the system's error code (errno on Linux, GetLastError on
    // Windows) and, through *text when it is not null, the reason in words, one "COM<n>: ..." line
    // or more (the device looked at, the program holding it, a missing permission). 0 and "" after
    // a Connect that opened the port, and after ConfigureDirect. The text stays valid until the
    // next Connect or ConfigureDirect.
    long GetLastConnectError(const char** text) const;
    short Disconnect();
    void SetTimeOut(long ms);
    void SetMaxNumberOfRetries(short n);
    short GetMaxNumberOfRetries() const;
    short GetActualNumberOfRetries() const;
    void SetRelaxValidationMode();
    void RegisterEventHandler(CS22NetworkEvents* handler, short handlerId);

    // Diagnostics: records of exchanges in "<directory>.//Direct COM<n>.txt".
    void EnableDiagnostics(bool errorsOnly, const char* directory);
    void DisableDiagnostics();
    void GetLastPacket(unsigned char** sent, unsigned char** received);

    // Control. Abort may be called from another thread while a command runs.
    void Abort();
    short Ping(unsigned char address);

    // Raw port access.
    short WritePort(const unsigned char* bytes, short count);
    short ReadChar(unsigned char& byte);
    short FlushReceiveBuffer();
    long GetLastTAPIerror(char** text);

    // Sends the caller's bytes as a command frame; copies replyLength reply data bytes into reply
    // when it is not null. No status byte is checked; broadcast addresses are allowed.
    short GenericCommand(unsigned char address, const void* request, short length, void* reply,
                         short replyLength);

    // Basic commands. Names longer than 16 characters are refused (ERR_COMMAND_BAD_ARGUMENT).
    short SetConfiguration(unsigned char addr, const char* name, unsigned short w1, unsigned short w2,
                           unsigned short w3, unsigned char b1, unsigned char b2, unsigned short w4, resp_s* resp,
                           unsigned char option);
    short GetStatus(unsigned char addr, resp_get_status_s* resp, unsigned char option);
    short RunMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option);
    short RunMessageNumTimes(unsigned char addr, const char* name, unsigned char count, resp_s* resp,
                             unsigned char option);
    short RunMessageASAP(unsigned char addr, const char* name, resp_s* resp, unsigned char option);
    short MDCRunMsg(unsigned char addr, const char* name, unsigned char b1, unsigned char b2, resp_s* resp,
                    unsigned char option);
    short StopMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option);
    short RemoveMessage(unsigned char addr, const char* name, resp_s* resp, unsigned char option);
    // flag set: 2 is sent in place of option.
    short RunSchedule(unsigned char addr, bool flag, resp_s* resp, unsigned char option);
    short StopSchedule(unsigned char addr, resp_s* resp, unsigned char option);
    short SetDimming(unsigned char addr, unsigned char b1, unsigned char b2, resp_s* resp);
    short BlankSign(unsigned char addr, resp_s* resp, unsigned char option);
    short SetTime(unsigned char addr, const time_s* time, resp_s* resp, unsigned char option);
    short TestPattern(unsigned char addr, unsigned char pattern, resp_s* resp);
    short ResetSign(unsigned char addr, unsigned char b1, bool flag, resp_s* resp);
    short SetCounter(unsigned char addr, const counter_info_s* info, resp_s* resp);
    short SetDefaultMessage(unsigned char addr, bool flag, const char* name, resp_s* resp);
    short EraseFirmware(unsigned char addr, resp_s* resp, unsigned char option);
    short RemoveGraphic(unsigned char addr, const char* name, resp_s* resp, unsigned char option);
    short SetSoftwareAddress(unsigned char addr, unsigned char newAddress, resp_s* resp, unsigned char option);
    short SetTempOffset(unsigned char addr, short offset, resp_s* resp, unsigned char option);
    short SetLineFreqMode(unsigned char addr, short mode, resp_s* resp, unsigned char option);
    short StartCounter(unsigned char addr, unsigned char counter, bool flag, resp_s* resp);
    short StopCounter(unsigned char addr, unsigned char counter, resp_s* resp);

    // Extended commands. Names longer than 109 characters are refused (ERR_COMMAND_BAD_ARGUMENT);
    // where a name "may be absent", a null name sends an all-zero field.
    short M2RenameFile(unsigned char addr, const char* oldName, const char* newName, m2_resp_s* resp,
                       unsigned char option);
    short M2DeleteFile(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option);
    short M2RunMessage(unsigned char addr, const char* name, unsigned char b1, unsigned char b2, unsigned char b3,
                       unsigned char b4, unsigned char b5, unsigned char b6, unsigned long dword, m2_resp_s* resp,
                       unsigned char option);
    short M2StopMessage(unsigned char addr, const char* name, unsigned long dword, m2_resp_s* resp,
                        unsigned char option);
    short M2MoveMessage(unsigned char addr, const char* name, unsigned char b1, unsigned long dword,
                        m2_resp_s* resp, unsigned char option);
    short M2BlankDisplay(unsigned char addr, unsigned char b1, m2_resp_s* resp);
    short M2ResetDisplay(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp);
    short M2RunSchedule(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option);
    short M2StopSchedule(unsigned char addr, const char* name, m2_resp_s* resp, unsigned char option);
    short M2SetDimming(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp);
    short M2SetTime(unsigned char addr, unsigned long time, m2_resp_s* resp, unsigned char option);
    short M2SetDisplayMode(unsigned char addr, unsigned char b1, unsigned char b2, m2_resp_s* resp);
    short M2SelectFrame(unsigned char addr, unsigned char b1, unsigned short word, const char* name,
                        m2_resp_s* resp);
    // name receives 110 bytes (when not null); w and status come from the reply.
    short M2GetRunningMessage(unsigned char addr, unsigned char option, char* name, unsigned short& w,
                              unsigned long unused, unsigned char& status);

    // Frame-level operations (broadcast addresses refused).
    short EnableBroadcastAddress(unsigned char addr, unsigned char broadcast);
    short DisableBroadcastAddress(unsigned char addr, unsigned char broadcast);
    short GetEnableBroadcastAddress(unsigned char addr, unsigned short& value);
    // The host port keeps its rate until the caller reconnects.
    short SetBaudRate(unsigned char addr, unsigned long baud);

    // File transfer. Get operations return a buffer owned by this object, valid until the next get,
    // or null with the reason in result (0 with null: the file is empty).
    short M2SendFile(unsigned char addr, const char* name, const unsigned char* data, long size,
                     m2_resp_send_file_s* resp, unsigned char option);
    unsigned char* M2GetFile(unsigned char addr, const char* name, short& result, m2_resp_retrieve_file_s* resp,
                             unsigned char option);
#ifdef _WIN32
    // Exported as SendMessageA (and GetMessageA below), the names <windows.h>'s SendMessage and
    // GetMessage macros give these calls in callers that include it. Where the macros are not
    // defined at this point, SendMessage and GetMessage forward to them.
    short SendMessageA(unsigned char addr, const char* name, const unsigned char* data, long size,
                       resp_send_message_s* resp, unsigned char option);
#ifndef SendMessage
    short SendMessage(unsigned char addr, const char* name, const unsigned char* data, long size,
                      resp_send_message_s* resp, unsigned char option)
    {
        return SendMessageA(addr, name, data, size, resp, option);
    }
#endif
#else
    short SendMessage(unsigned char addr, const char* name, const unsigned char* data, long size,
                      resp_send_message_s* resp, unsigned char option);
#endif
    // a and b are or-ed into the option byte as 0x01 and 0x02.
    short SendSchedule(unsigned char addr, const char* name, bool a, bool b, const unsigned char* data, long size,
                       resp_send_message_s* resp, unsigned char option);
#ifdef _WIN32
    unsigned char* GetMessageA(unsigned char addr, const char* name, short& result, resp_retrieve_message_s* resp,
                               unsigned char option);
#ifndef GetMessage
    unsigned char* GetMessage(unsigned char addr, const char* name, short& result, resp_retrieve_message_s* resp,
                              unsigned char option)
    {
        return GetMessageA(addr, name, result, resp, option);
    }
#endif
#else
    unsigned char* GetMessage(unsigned char addr, const char* name, short& result, resp_retrieve_message_s* resp,
                              unsigned char option);
#endif
    unsigned char* GetMessageList(unsigned char addr, short& result, resp_retrieve_list_s* resp,
                                  unsigned char option);
    unsigned char* GetGraphicList(unsigned char addr, short& result, resp_retrieve_list_s* resp,
                                  unsigned char option);
    short SendRTD(unsigned char addr, const rtd_header_s* header, short offset, const unsigned char* data,
                  short length, resp_s* resp, unsigned char option);
    short M2SendRTD(unsigned char addr, const rtd_header_s* header, short offset, const unsigned char* data,
                    short length, m2_resp_s* resp, unsigned char option);
    // Size of the last get's data, for callers of the get operations above.
    long GetRetrievedSize() const;

    // Graphics: a bitmap (1, 4, 8 or 24 bits, uncompressed, bottom-up) to the controller's planes
    // and back. GetGraphic returns 24-bit bitmap bits owned by this object; info receives the header.
    short SendGraphic(unsigned char addr, const char* name, const BITMAPINFO* info, const unsigned char* bits,
                      short rows, short columns, short type, resp_send_graphic_s* resp, unsigned char option);
    unsigned char* GetGraphic(unsigned char addr, const char* name, BITMAPINFO* info, short rows, short columns,
                              short& result, resp_retrieve_graphic_s* resp, unsigned char option);

private:
    std::unique_ptr<CS22NetInternal> m_pInternal;
};
