#pragma once
// A sign controller's serial COM port: 8-N-1 at the configured rate, per-byte read time-outs, and
// an abort word that cuts a waiting read short.

#include "link/LineEchoWatch.h"
#include "link/S22LineMeter.h"
#include "link/S22NetAbstractPort.h"
#include "link/SerialDevice.h"

#include <atomic>
#include <cstdint>

class CS22NetSerialPort : public CS22NetAbstractPort {
public:
    // Block reads end at a pause this long between bytes, or after time-out + 2 ms per byte asked.
    static constexpr unsigned long kReadIntervalMs = 250;
    static constexpr unsigned long kReadTotalMultiplierMs = 2;

    CS22NetSerialPort() = default;
    ~CS22NetSerialPort() override;

    // Stores the settings; the device is not touched until Connect.
    void Configure(short comPort, unsigned long baud, unsigned char flag);

    S22Result Connect() override;
    S22Result Disconnect() override;
    S22Result SendPacket(const CS22NetPacket& frame) override;
    S22Result ReceivePacket(CS22NetPacket& frame) override;
    S22Result WritePort(const unsigned char* bytes, short count) override;
    S22Result ReadChar(unsigned char& byte) override;
    S22Result FlushReceiveBuffer() override;

    S22Result WriteBlock(const void* bytes, short count, unsigned long* written);
    // On entry *count is the most to read; on return what was read. Waits up to the time-out for the
    // first byte, then takes the burst that follows (see kReadIntervalMs).
    S22Result ReadBlock(void* buffer, unsigned long* count);

    // The abort word: set from any thread to end the running read or send with ERR_SIGN_ABORT.
    void SetAbort(bool abort);
    bool IsAborting() const { return m_nAbort.load() != 0; }

    short GetComPort() const { return m_nComPort; }
    unsigned long GetBaud() const { return m_nBaud; }
    unsigned char GetFlag() const { return m_nFlag; }
    bool IsOpen() const { return m_device.IsOpen(); }
    // Why the last Connect could not open the port.
    const SerialOpenFailure& LastOpenFailure() const { return m_device.LastOpenFailure(); }
    // Bytes that went over the line since this object was made (for measuring line time).
    unsigned long long BytesWritten() const { return m_nBytesWritten; }
    unsigned long long BytesRead() const { return m_nBytesRead; }
    // Replies (whole frames and block reads) compared with what was written last, since Connect.
    const CLineEchoWatch& Echoes() const { return m_echoes; }
    // Frames, repeats, bytes and reply times since this object was made, across reopening.
    const CS22LineMeter& LineMeter() const { return m_meter; }
    CS22LineMeter& LineMeter() { return m_meter; }

private:
    // The reads behind ReceivePacket and ReadBlock, which tell the meter how they ended.
    S22Result ReadFrame(CS22NetPacket& frame);
    S22Result ReadBurst(unsigned char* bytes, unsigned long max, unsigned long* count);
    void NoteReply(S22Result result, unsigned long long readBefore);
    // Reads what arrives before a fresh per-call deadline; 0, -6, -11 or -15.
    S22Result ReadWithin(unsigned char* buffer, unsigned long max, unsigned long* got);
    // Hands the time-out to the driver where it keeps read time-outs (Windows); reads take their
    // deadlines from it directly as well. False, with the time-outs still stale, when the driver
    // would not take them.
    bool RefreshTimeOuts();

    std::atomic<std::uint32_t> m_nAbort{0};
    std::atomic<unsigned long long> m_nBytesWritten{0};
    std::atomic<unsigned long long> m_nBytesRead{0};
    CSerialDevice m_device;
    CLineEchoWatch m_echoes;
    CSerialDevice::Clock::time_point m_lastByteAt{}; // when the last read took bytes
    CS22LineMeter m_meter;
    unsigned long m_nBaud = 0;
    unsigned long m_nOpenedBaud = 0; // the rate of the last Connect that opened the device; 0: none yet
    short m_nComPort = 0;
    unsigned char m_nFlag = 0;
};
