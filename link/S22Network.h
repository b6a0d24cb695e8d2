#pragma once
// The protocol class offered to other programs: one controller line, its set-up, control and
// commands. Every operation returns a link result code (S22NetResult.h).

#include "link/S22NetResult.h"
#include "link/S22NetworkEvents.h"

#include <memory>

class CS22NetInternal;

class CS22Network {
public:
    CS22Network();
    ~CS22Network();
    CS22Network(const CS22Network&) = delete;
    CS22Network& operator=(const CS22Network&) = delete;

    // Set-up.
    short ConfigureDirect(short comPort, long baud, bool flag);
    short Connect();
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

private:
    std::unique_ptr<CS22NetInternal> m_pInternal;
};
