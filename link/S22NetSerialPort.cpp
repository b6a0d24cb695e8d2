#include "link/S22NetSerialPort.h"

#include "base/TimeScale.h"
#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"
#include "link/SessionRecord.h"

#include <algorithm>

CS22NetSerialPort::~CS22NetSerialPort()
{
    if (m_device.IsOpen()) {
        m_device.Close();
        CSessionRecorder::Instance().PortClosed(m_nComPort);
    }
}

void CS22NetSerialPort::Configure(short comPort, unsigned long baud, unsigned char flag)
{
    m_nComPort = comPort;
    m_nBaud = baud;
    m_nFlag = flag;
}

S22Result CS22NetSerialPort::Connect()
{
    m_bTimeOutsStale = true;
    m_echoes.Restart();
    m_meter.ReplyMissed(); // nothing written on the old line is answered on the new one
    if (!m_device.Open(m_nComPort, m_nBaud))
        return ERR_NETWORK_CONNECT_FAILED;
    // A replay learns the line's rate from these lines: the rate line marks a restart at a rate
    // other than this port's last (Auto Connect's next attempt, a rate the controller was told).
    CSessionRecorder& record = CSessionRecorder::Instance();
    if (m_nOpenedBaud != 0 && m_nOpenedBaud != m_nBaud)
        record.RateChanged(m_nComPort, m_nBaud);
    m_nOpenedBaud = m_nBaud;
    record.PortOpened(m_nComPort, m_nBaud);
    return S22NET_OK;
}

S22Result CS22NetSerialPort::Disconnect()
{
    const bool wasOpen = m_device.IsOpen();
    const bool closed = m_device.Close();
    if (wasOpen)
        CSessionRecorder::Instance().PortClosed(m_nComPort);
    return closed ? S22NET_OK : ERR_NETWORK_DISCONNECT_INVALID;
}

S22Result CS22NetSerialPort::SendPacket(const CS22NetPacket& frame)
{
    if (IsAborting())
        return ERR_SIGN_ABORT;
    return WritePort(frame.Bytes(), static_cast<short>(frame.WireLength()));
}

S22Result CS22NetSerialPort::ReceivePacket(CS22NetPacket& frame)
{
    const unsigned long long before = m_nBytesRead;
    const S22Result result = ReadFrame(frame);
    NoteReply(result, before);
    return result;
}

void CS22NetSerialPort::NoteReply(S22Result result, unsigned long long readBefore)
{
    if (result == S22NET_OK)
        m_meter.ReplyRead(static_cast<std::size_t>(m_nBytesRead - readBefore), m_nBaud, m_lastByteAt);
    else
        m_meter.ReplyMissed();
}

S22Result CS22NetSerialPort::ReadFrame(CS22NetPacket& frame)
{
    frame.Clear();
    unsigned char* bytes = frame.Bytes();
    // Skip anything before the first start byte; each skipped byte restarts the time-out.
    do {
        const S22Result result = ReadChar(bytes[0]);
        if (result != S22NET_OK)
            return result;
    } while (bytes[0] != 0x55);
    for (std::size_t i = 1; i < CS22NetPacket::kHeaderSize; ++i) {
        const S22Result result = ReadChar(bytes[i]);
        if (result != S22NET_OK)
            return result;
    }
    const std::size_t rest = bytes[3] == 0 ? 0 : bytes[3] + 1u;
    for (std::size_t i = 0; i < rest; ++i) {
        const S22Result result = ReadChar(bytes[CS22NetPacket::kHeaderSize + i]);
        if (result != S22NET_OK)
            return result;
    }
    m_echoes.Received({bytes, CS22NetPacket::kHeaderSize + rest});
    return S22NET_OK;
}

S22Result CS22NetSerialPort::WritePort(const unsigned char* bytes, short count)
{
    unsigned long written = 0;
    return WriteBlock(bytes, count, &written);
}

S22Result CS22NetSerialPort::WriteBlock(const void* bytes, short count, unsigned long* written)
{
    *written = 0;
    if (count < 0)
        return ERR_NETWORK_NO_WRITE;
    // The next write tries again when the driver would not take them.
    if (m_bTimeOutsStale && !RefreshTimeOuts()) {
        m_meter.Wrote(0, false);
        return ERR_NETWORK_NO_WRITE;
    }
    const auto deadline = CSerialDevice::Clock::now() + std::chrono::milliseconds(ScaledMs(m_nTimeOut));
    std::size_t sent = 0;
    const bool complete = m_device.Write(bytes, static_cast<std::size_t>(count), &sent, deadline);
    *written = static_cast<unsigned long>(sent);
    m_nBytesWritten += sent;
    // A partial frame is never reported as sent.
    if (!complete) {
        m_meter.Wrote(sent, false);
        return ERR_NETWORK_NO_WRITE;
    }
    m_echoes.Sent({static_cast<const unsigned char*>(bytes), sent});
    const bool overrun = m_device.OverrunSinceLastCheck();
    m_meter.Wrote(sent, !overrun);
    return overrun ? ERR_NETWORK_NO_WRITE : S22NET_OK;
}

bool CS22NetSerialPort::RefreshTimeOuts()
{
    if (!m_device.ApplyTimeOuts(kReadIntervalMs, kReadTotalMultiplierMs, ScaledMs(m_nTimeOut)))
        return false;
    m_bTimeOutsStale = false;
    return true;
}

S22Result CS22NetSerialPort::ReadChar(unsigned char& byte)
{
    unsigned long got = 0;
    return ReadWithin(&byte, 1, &got);
}

S22Result CS22NetSerialPort::ReadBlock(void* buffer, unsigned long* count)
{
    const unsigned long max = *count;
    *count = 0;
    const unsigned long long before = m_nBytesRead;
    const S22Result result =
        max == 0 ? ERR_SIGN_NO_RESPONSE : ReadBurst(static_cast<unsigned char*>(buffer), max, count);
    NoteReply(result, before);
    return result;
}

S22Result CS22NetSerialPort::ReadBurst(unsigned char* bytes, unsigned long max, unsigned long* count)
{
    const auto started = CSerialDevice::Clock::now();
    const S22Result result = ReadWithin(bytes, max, count);
    if (result != S22NET_OK)
        return result;
    // As the driver's read time-outs do: once bytes flow, the read goes on until the count is
    // reached, the line pauses for the interval, or the total time-out has passed.
    const auto total = started + std::chrono::milliseconds(ScaledMs(m_nTimeOut + kReadTotalMultiplierMs * max));
    while (*count < max) {
        const auto pause = CSerialDevice::Clock::now() + std::chrono::milliseconds(ScaledMs(kReadIntervalMs));
        std::size_t n = 0;
        const auto status = m_device.Read(bytes + *count, max - *count, &n, std::min(pause, total));
        if (status == CSerialDevice::ReadStatus::Failed)
            return ERR_NETWORK_NO_READ;
        if (IsAborting())
            return ERR_SIGN_ABORT;
        if (status == CSerialDevice::ReadStatus::TimedOut)
            break;
        if (status == CSerialDevice::ReadStatus::Woken)
            m_device.ClearWake();
        *count += static_cast<unsigned long>(n);
        m_nBytesRead += n;
        if (n > 0)
            m_lastByteAt = CSerialDevice::Clock::now();
    }
    m_echoes.Received({bytes, *count});
    return S22NET_OK;
}

S22Result CS22NetSerialPort::ReadWithin(unsigned char* buffer, unsigned long max, unsigned long* got)
{
    *got = 0;
    const auto deadline = CSerialDevice::Clock::now() + std::chrono::milliseconds(ScaledMs(m_nTimeOut));
    for (;;) {
        std::size_t n = 0;
        const auto status = m_device.Read(buffer, max, &n, deadline);
        if (status == CSerialDevice::ReadStatus::Failed)
            return ERR_NETWORK_NO_READ;
        if (IsAborting())
            return ERR_SIGN_ABORT;
        if (status == CSerialDevice::ReadStatus::Data) {
            *got = static_cast<unsigned long>(n);
            m_nBytesRead += n;
            m_lastByteAt = CSerialDevice::Clock::now();
            return S22NET_OK;
        }
        if (status == CSerialDevice::ReadStatus::TimedOut)
            return ERR_SIGN_NO_RESPONSE;
        // Woken without the abort word: a stale wake-up from an abort already cleared.
        m_device.ClearWake();
    }
}

S22Result CS22NetSerialPort::FlushReceiveBuffer()
{
    return m_device.PurgeReceive() ? S22NET_OK : ERR_NETWORK_NO_READ;
}

void CS22NetSerialPort::SetAbort(bool abort)
{
    m_nAbort.store(abort ? 1u : 0u);
    if (abort)
        m_device.Wake();
    else
        m_device.ClearWake();
}
