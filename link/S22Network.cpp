#include "link/S22Network.h"

#include "link/S22NetInternal.h"
#include "link/S22ResultTexts.h"

const char* S22ResultText(short code)
{
    return S22ResultTextOf(code);
}

CS22Network::CS22Network() : m_pInternal(std::make_unique<CS22NetInternal>()) {}
CS22Network::~CS22Network() = default;

short CS22Network::ConfigureDirect(short comPort, long baud, bool flag)
{
    return m_pInternal->ConfigureDirect(comPort, baud, flag);
}

short CS22Network::Connect() { return m_pInternal->Connect(); }
long CS22Network::GetLastConnectError(const char** text) const { return m_pInternal->GetLastConnectError(text); }
short CS22Network::Disconnect() { return m_pInternal->Disconnect(); }
void CS22Network::SetTimeOut(long ms) { m_pInternal->SetTimeOut(ms); }
void CS22Network::SetMaxNumberOfRetries(short n) { m_pInternal->SetMaxNumberOfRetries(n); }
short CS22Network::GetMaxNumberOfRetries() const { return m_pInternal->GetMaxNumberOfRetries(); }
short CS22Network::GetActualNumberOfRetries() const { return m_pInternal->GetActualNumberOfRetries(); }
void CS22Network::SetRelaxValidationMode() { m_pInternal->SetRelaxValidationMode(); }

void CS22Network::RegisterEventHandler(CS22NetworkEvents* handler, short handlerId)
{
    m_pInternal->RegisterEventHandler(handler, handlerId);
}

void CS22Network::EnableDiagnostics(bool errorsOnly, const char* directory)
{
    m_pInternal->EnableDiagnostics(errorsOnly, directory);
}

void CS22Network::DisableDiagnostics() { m_pInternal->DisableDiagnostics(); }

void CS22Network::GetLastPacket(unsigned char** sent, unsigned char** received)
{
    m_pInternal->GetLastPacket(sent, received);
}

void CS22Network::Abort() { m_pInternal->Abort(); }

short CS22Network::Ping(unsigned char address)
{
    // The ping is itself a sequence reset, so it needs no reset before it.
    return m_pInternal->RunGuarded([&] {
        const S22Result result = m_pInternal->SequenceReset(address);
        if (result == S22NET_OK)
            m_pInternal->MarkSequenceReset(address);
        return result;
    });
}

short CS22Network::WritePort(const unsigned char* bytes, short count)
{
    CS22NetSerialPort* port = m_pInternal->Port();
    return port != nullptr ? port->WritePort(bytes, count) : ERR_COMMAND_NOT_CONFIGURED;
}

short CS22Network::ReadChar(unsigned char& byte)
{
    CS22NetSerialPort* port = m_pInternal->Port();
    return port != nullptr ? port->ReadChar(byte) : ERR_COMMAND_NOT_CONFIGURED;
}

short CS22Network::FlushReceiveBuffer()
{
    CS22NetSerialPort* port = m_pInternal->Port();
    return port != nullptr ? port->FlushReceiveBuffer() : ERR_COMMAND_NOT_CONFIGURED;
}

long CS22Network::GetLastTAPIerror(char** text)
{
    CS22NetSerialPort* port = m_pInternal->Port();
    if (port == nullptr)
        return 0;
    const char* portText = nullptr;
    const long code = port->GetLastError(&portText);
    if (text != nullptr)
        *text = const_cast<char*>(portText);
    return code;
}

short CS22Network::GenericCommand(unsigned char address, const void* request, short length, void* reply,
                                  short replyLength)
{
    const auto buffer = CS22CommandBuffer::Raw(request, length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::size_t copy = reply != nullptr && replyLength > 0 ? static_cast<std::size_t>(replyLength) : 0;
    return m_pInternal->Command(address, false, buffer, reply, copy, -1);
}
