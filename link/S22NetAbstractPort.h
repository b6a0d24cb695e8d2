#pragma once
// The byte pipe under both exchange engines: open/close, frames in and out, raw bytes.

#include "link/S22NetResult.h"

#include <string>

class CS22NetPacket;
class CS22NetworkEvents;

class CS22NetAbstractPort {
public:
    virtual ~CS22NetAbstractPort() = default;

    virtual S22Result Connect() = 0;
    virtual S22Result Disconnect() = 0;
    virtual S22Result SendPacket(const CS22NetPacket& frame) = 0;
    virtual S22Result ReceivePacket(CS22NetPacket& frame) = 0;
    virtual S22Result WritePort(const unsigned char* bytes, short count) = 0;
    virtual S22Result ReadChar(unsigned char& byte) = 0;
    virtual S22Result FlushReceiveBuffer() = 0;

    // Takes effect on the next read deadline at once and on the driver at the next write.
    void SetTimeOut(unsigned long ms);
    unsigned long GetTimeOut() const { return m_nTimeOut; }

    void SetEventHandler(CS22NetworkEvents* handler, short handlerId);

    // The port's last error code, with *text pointed at its error text.
    long GetLastError(const char** text) const;

protected:
    std::string m_strLastError;
    long m_nLastError = 0;
    CS22NetworkEvents* m_pEventHandler = nullptr; // not owned; the serial port raises no events
    short m_nHandlerId = 0;
    unsigned long m_nTimeOut = 1000;
    bool m_bTimeOutsStale = true;
};
