#pragma once
// The platform seam of the serial port: an open COM device and the few primitives the port's
// algorithms need. Everything above this class is portable; posix/SerialDevice.cpp implements it
// with termios, win32/SerialDevice.cpp with the Win32 serial calls.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

// Why a COM port could not be opened, with the system's own reason.
struct SerialOpenFailure {
    enum class Kind {
        None,         // the last open worked, or none was tried
        NoSuchPort,   // no device behind the number, or the device is not there
        NoPermission, // the user may not open the device
        Busy,         // another program (or another link of this one) holds it
        Refused,      // the device would not take the serial settings, or another error
    };
    Kind kind = Kind::None;
    int systemError = 0; // errno on POSIX, GetLastError on Windows
    std::string device;  // the device looked at; empty when the number names none
};

class CSerialDevice {
public:
    using Clock = std::chrono::steady_clock;

    enum class ReadStatus {
        Data,     // at least one byte was read
        TimedOut, // the deadline passed with nothing to read
        Woken,    // Wake() was called (an abort); nothing read
        Failed,   // the device reported an error
    };

    CSerialDevice();
    ~CSerialDevice();
    CSerialDevice(const CSerialDevice&) = delete;
    CSerialDevice& operator=(const CSerialDevice&) = delete;

    // Opens COM n exclusively as 8-N-1 at baud with the request-to-send line raised only while
    // sending (where the driver can). False when the device is missing, busy (held by anyone else)
    // or refuses the settings.
    bool Open(int comNumber, unsigned long baud);
    // Why the last Open failed (Kind::None after one that worked).
    const SerialOpenFailure& LastOpenFailure() const;
    // Closes (POSIX first restores the line settings found at open). False when not open or close
    // failed.
    bool Close();
    bool IsOpen() const;

    // The driver's read time-outs, where the driver keeps them (Windows): a read ends after a pause
    // of intervalMs between bytes, or after totalConstantMs + totalPerByteMs for each byte asked.
    // Write time-outs stay as the driver has them. POSIX has none to set: true, nothing done.
    // False when the driver's time-outs could not be read or written.
    bool ApplyTimeOuts(unsigned long intervalMs, unsigned long totalPerByteMs, unsigned long totalConstantMs);

    // Reads up to max bytes: returns at once with what is there, else waits for the first byte
    // until the deadline or a wake-up. On Windows a synchronous ReadFile does the waiting, bounded
    // by the driver's read time-outs (ApplyTimeOuts): it takes what arrives as those time-outs say
    // (up to max, until a pause), and the deadline is looked at between ReadFiles, so a read can run
    // past its deadline by up to one driver time-out. A wake-up cancels the waiting ReadFile
    // (CancelSynchronousIo); where that does not work (Wine), it is seen when the ReadFile ends.
    ReadStatus Read(void* buffer, std::size_t max, std::size_t* got, Clock::time_point deadline);

    // Writes all bytes, waiting for room in the driver's queue until the deadline (on Windows each
    // WriteFile waits as the driver's write time-outs say; the deadline ends a write that stalls).
    // *written is what went out; false on any error or when not everything went out.
    bool Write(const void* bytes, std::size_t count, std::size_t* written, Clock::time_point deadline);

    // Discards everything received and not yet read.
    bool PurgeReceive();

    // True when the driver counted a receive overrun since the previous call (on Windows: as
    // ClearCommError reports it after each write).
    bool OverrunSinceLastCheck();

    // Cuts a waiting Read short, from any thread; ClearWake forgets a pending wake-up.
    void Wake();
    void ClearWake();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
